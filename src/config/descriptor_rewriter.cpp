#include "config/descriptor_rewriter.h"

#include "config/descriptor_xml.h"
#include "platform/files.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <memory>

using namespace xercesc;

namespace {

// Writes the root element (no declaration, nothing outside it), without a
// terminator or a trailing newline, in place of the descriptor.
bool writeDescriptor(const std::string& descriptor, const DOMElement* root, std::string& reason) {
  XmlName core("LS");
  DOMImplementation* implementation = DOMImplementationRegistry::getDOMImplementation(core.get());
  std::unique_ptr<DOMLSSerializer, void (*)(DOMLSSerializer*)> writer(
      implementation->createLSSerializer(), [](DOMLSSerializer* w) { w->release(); });
  DOMConfiguration* options = writer->getDomConfig();
  if (options->canSetParameter(XMLUni::fgDOMWRTFormatPrettyPrint, false))
    options->setParameter(XMLUni::fgDOMWRTFormatPrettyPrint, false);
  if (options->canSetParameter(XMLUni::fgDOMWRTBOM, false))
    options->setParameter(XMLUni::fgDOMWRTBOM, false);

  std::unique_ptr<XMLCh, void (*)(XMLCh*)> text(writer->writeToString(root),
                                                [](XMLCh* t) { XMLString::release(&t); });
  // Without a declaration the file is read back as UTF-8, so that is what
  // it is written in: text in another code page would make the next parse
  // fail and hide every repository. Text that could not be converted is
  // never written: an empty descriptor would lose every other repository.
  FileFailure failure{"converting the descriptor to UTF-8", "the text cannot be written"};
  bool written = false;
  if (text != nullptr) {
    std::string utf8 = utf8FromXml(text.get());
    written = !utf8.empty() && replaceFileContents(descriptor, utf8, &failure);
  }
  if (written) {
    trace("descriptor replaced by the rewritten one");
    return true;
  }
  trace("descriptor could not be rewritten: %s failed: %s; the old one is kept",
        failure.step.c_str(), failure.reason.c_str());
  reason = failure.reason;
  return false;
}

// The scanner reads a document of any version 1.x as one of 1.0, as XML 1.0
// allows, and so does the lookup; the tree alone refuses to record a version
// other than 1.0 or 1.1 and ends the parse with an exception. The version is
// never written back, so the tree is told 1.0 instead.
class DescriptorParser : public XercesDOMParser {
 public:
  void XMLDecl(const XMLCh* const version, const XMLCh* const encoding,
               const XMLCh* const standalone, const XMLCh* const actualEncoding) override {
    bool known = version == nullptr || *version == 0 ||
                 XMLString::equals(version, XMLUni::fgVersion1_0) ||
                 XMLString::equals(version, XMLUni::fgVersion1_1);
    XercesDOMParser::XMLDecl(known ? version : XMLUni::fgVersion1_0, encoding, standalone,
                             actualEncoding);
  }
};

Removal removeInstance(const std::string& descriptor, const std::string& name,
                       RepositoryInstance& instance, std::string& reason) {
  DescriptorParser parser;
  parser.setValidationScheme(XercesDOMParser::Val_Never);
  parser.setDoNamespaces(false);
  parser.setDoSchema(false);
  parser.setLoadExternalDTD(false);
  parser.setDisableDefaultEntityResolution(true);
  // Only the root element is written back, without the document type that
  // declares any entities; references kept as such would leave the rewritten
  // descriptor malformed, so the tree holds their text instead.
  parser.setCreateEntityReferenceNodes(false);
  SecurityManager limits;
  limits.setEntityExpansionLimit(kEntityExpansionLimit);
  parser.setSecurityManager(&limits);
  // The parser keeps quiet about what is wrong unless it has a handler; the
  // trace names the line, so it gets one then. Either way the outcome is the
  // same: a fatal error ends the parse and the descriptor reads as empty.
  HandlerBase reporter;
  if (traceEnabled()) parser.setErrorHandler(&reporter);
  if (!parseDescriptor(parser, descriptor)) return Removal::kNotFound;

  DOMDocument* document = parser.getDocument();
  DOMElement* root = document != nullptr ? document->getDocumentElement() : nullptr;
  if (root == nullptr) return Removal::kNotFound;

  // The list is live: its length is counted once, as every count walks the
  // whole tree again.
  XmlName instanceTag("instance");
  DOMNodeList* instances = root->getElementsByTagName(instanceTag.get());
  XMLSize_t count = instances->getLength();
  AttributeNames names;
  const std::string utf8Name = utf8FromNarrow(name);
  DOMElement* match = nullptr;
  for (XMLSize_t i = 0; i < count && match == nullptr; ++i) {
    auto* element = static_cast<DOMElement*>(instances->item(i));
    auto lookup = [element](const XmlName& key, std::string* value) {
      const DOMAttr* attribute = element->getAttributeNode(key.get());
      if (attribute == nullptr) return false;
      *value = utf8FromXml(attribute->getValue());
      return true;
    };
    if (applyInstance(lookup, names, utf8Name, instance)) match = element;
  }
  traceOutcome(name, instance, match != nullptr);
  if (match == nullptr) return Removal::kNotFound;

  match->getParentNode()->removeChild(match);
  return writeDescriptor(descriptor, root, reason) ? Removal::kRemoved : Removal::kNotRewritten;
}

}  // namespace

Removal removeRepositoryInstance(const std::string& descriptor, const std::string& name,
                                 RepositoryInstance& instance, std::string& reason) {
  // Two deletes at once must not both edit the same old descriptor: the
  // later replacement would bring back what the earlier one removed. A
  // holder takes milliseconds; one that takes far longer is stuck, and the
  // delete goes on without the lock rather than hang.
  const int kLockWaitMilliseconds = 30 * 1000;
  LockHandle lock = 0;
  bool locked = lockExclusively(descriptor, kLockWaitMilliseconds, &lock);
  if (!locked)
    trace("descriptor lock not had: rewriting without it");
  else if (int stale = removeStaleReplacements(descriptor))
    trace("%d temporary descriptor(s) of interrupted deletes removed", stale);
  Removal removal = withoutExceptions(Removal::kNotFound, [&] {
    return removeInstance(descriptor, name, instance, reason);
  });
  if (locked) unlock(lock);
  return removal;
}
