#include "config/descriptor.h"

#include "config/folders.h"
#include "config/narrow_text.h"
#include "platform/files.h"
#include "util/numbers.h"
#include "util/trace.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <fstream>
#include <memory>
#include <sstream>
#include <unordered_map>

using namespace xercesc;

namespace {

// Far above what any real descriptor uses, far below what a nested-entity
// bomb needs to exhaust memory.
constexpr XMLSize_t kEntityExpansionLimit = 10000;

// "instance", "name", ... as the parser's UTF-16 text.
class XmlName {
 public:
  explicit XmlName(const char* text) : text_(XMLString::transcode(text)) {}
  ~XmlName() { XMLString::release(&text_); }
  XmlName(const XmlName&) = delete;
  XmlName& operator=(const XmlName&) = delete;
  const XMLCh* get() const { return text_; }

 private:
  XMLCh* text_;
};

// Parses the descriptor with `parser` (a SAX or a DOM parser); true when it
// read the whole file without an error, else `problem` (when given) says
// why. The tool reads the bytes itself, so that the path is only ever a
// narrow string handed to the C library.
template <typename Parser>
bool parseDescriptor(Parser& parser, const std::string& path, std::string* problem = nullptr) {
  trace("descriptor %s", path.c_str());
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  const char* failure = nullptr;
  if (!(content << file.rdbuf())) {
    failure = file.is_open() ? "is empty or unreadable" : "is missing or unreadable";
  } else {
    std::string bytes = content.str();
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                             "vexa_config.xml");
    parser.parse(source);
    if (parser.getErrorCount() == 0) return true;
    failure = "is malformed";
  }
  trace("descriptor %s", failure);
  if (problem != nullptr) *problem = failure;
  return false;
}

void traceOutcome(const std::string& name, const RepositoryInstance& i, bool found) {
  if (!found) {
    trace("no instance named \"%s\" with a port", name.c_str());
    return;
  }
  trace("instance \"%s\": host=%s port=%d vexahost=%s vexaport=%d vexalisteninghost=%s path=%s",
        name.c_str(), i.host.c_str(), i.port, i.vexaHost.c_str(), i.vexaPort,
        i.vexaListeningHost.c_str(), i.path.c_str());
}

std::string orLocalhost(const std::string& host) { return host.empty() ? "localhost" : host; }

// The attribute names an instance is read by, converted once per parse
// rather than once per element.
struct AttributeNames {
  XmlName name{"name"};
  XmlName port{"port"};
  XmlName host{"host"};
  XmlName vexaPort{"vexaport"};
  XmlName vexaHost{"vexahost"};
  XmlName vexaListeningHost{"vexalisteninghost"};
  XmlName path{"path"};
};

// Applies the attributes of one "instance" element of the repository's
// name to `instance`; returns whether it has a "port", which is what makes
// it count as found. `attribute(name, &value)` tells whether the element has
// that attribute and gives its value in UTF-8.
template <typename AttributeLookup>
bool applyAttributes(const AttributeLookup& attribute, const AttributeNames& names,
                     RepositoryInstance& instance) {
  std::string value;
  auto text = [&](const XmlName& key, std::string& field) {
    if (attribute(key, &value)) field = narrowFromUtf8(value);
  };
  bool hasPort = attribute(names.port, &value);
  if (hasPort) instance.port = parseInteger(value);
  text(names.host, instance.host);
  instance.host = orLocalhost(instance.host);
  // The largest port wraps round, as the sum does in the machine's own int.
  instance.vexaPort = attribute(names.vexaPort, &value)
                          ? parseInteger(value)
                          : static_cast<int>(static_cast<unsigned>(instance.port) + 1u);
  text(names.vexaHost, instance.vexaHost);
  instance.vexaHost = orLocalhost(instance.vexaHost);
  text(names.vexaListeningHost, instance.vexaListeningHost);
  instance.vexaListeningHost = orLocalhost(instance.vexaListeningHost);
  text(names.path, instance.path);
  return hasPort;
}

// As applyAttributes, for an element that bears the name `utf8Name`; one
// that bears another name, or none, is passed over. Names are compared in
// UTF-8, which tells every name from every other, where a narrow code page
// might make two of them the same text.
template <typename AttributeLookup>
bool applyInstance(const AttributeLookup& attribute, const AttributeNames& names,
                   const std::string& utf8Name, RepositoryInstance& instance) {
  std::string value;
  return attribute(names.name, &value) && value == utf8Name &&
         applyAttributes(attribute, names, instance);
}

// An element's attribute in UTF-8, as the lookups read it.
struct SaxAttributeLookup {
  const Attributes& attributes;
  bool operator()(const XmlName& key, std::string* value) const {
    const XMLCh* text = attributes.getValue(key.get());
    if (text == nullptr) return false;
    *value = utf8FromXml(text);
    return true;
  }
};

// The descriptor read as a stream of elements, no tree built: `instance`
// sees every "instance" element below the root element.
class InstanceReader : public DefaultHandler {
 public:
  void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const qname,
                    const Attributes& attributes) override {
    // The root element never counts, whatever its name.
    if (depth_++ == 0 || !XMLString::equals(qname, instanceTag_.get())) return;
    instance(SaxAttributeLookup{attributes});
  }

  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) override { --depth_; }

 protected:
  virtual void instance(const SaxAttributeLookup& attribute) = 0;
  AttributeNames names_;

 private:
  XmlName instanceTag_{"instance"};
  int depth_ = 0;
};

// A lookup: the instances of one name.
class InstanceCollector : public InstanceReader {
 public:
  InstanceCollector(const std::string& name, RepositoryInstance& instance)
      : name_(utf8FromNarrow(name)), instance_(instance) {}

  bool found() const { return found_; }

 private:
  void instance(const SaxAttributeLookup& attribute) override {
    if (applyInstance(attribute, names_, name_, instance_)) found_ = true;
  }

  const std::string name_;
  RepositoryInstance& instance_;
  bool found_ = false;
};

// A listing: every instance by name, merged as a lookup of that name merges
// them, in the order of each name's first element.
class RepositoryCollector : public InstanceReader {
 public:
  explicit RepositoryCollector(bool withInstances) : withInstances_(withInstances) {}

  // What a lookup of each name would find, leaving out the names it would
  // not find.
  RepositoryList found() {
    size_t kept = 0;
    for (size_t i = 0; i < found_.size(); ++i) {
      if (withInstances_) traceOutcome(list_.names[i], list_.instances[i], found_[i]);
      if (!found_[i]) continue;
      if (kept != i) {  // a string moved onto itself comes out empty
        list_.names[kept] = std::move(list_.names[i]);
        if (withInstances_) list_.instances[kept] = std::move(list_.instances[i]);
      }
      ++kept;
    }
    list_.names.resize(kept);
    if (withInstances_) list_.instances.resize(kept);
    return std::move(list_);
  }

 private:
  void instance(const SaxAttributeLookup& attribute) override {
    std::string name, port;
    if (!attribute(names_.name, &name)) return;
    auto known = index_.emplace(name, list_.names.size());
    size_t at = known.first->second;
    if (known.second) {
      list_.names.push_back(std::move(name));
      if (withInstances_) list_.instances.emplace_back();
      found_.push_back(false);
    }
    bool hasPort = withInstances_ ? applyAttributes(attribute, names_, list_.instances[at])
                                  : attribute(names_.port, &port);
    if (hasPort) found_[at] = true;
  }

  const bool withInstances_;
  RepositoryList list_;
  std::vector<bool> found_;
  std::unordered_map<std::string, size_t> index_;
};

// A SAX reader set up as every read of the descriptor needs: nothing
// fetched, nothing validated, entity expansion bounded by `limits`.
std::unique_ptr<SAX2XMLReader> newReader(SecurityManager& limits) {
  std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
  reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
  reader->setFeature(XMLUni::fgXercesDynamic, false);
  reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
  reader->setFeature(XMLUni::fgXercesSchema, false);
  reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  limits.setEntityExpansionLimit(kEntityExpansionLimit);
  reader->setProperty(XMLUni::fgXercesSecurityManager, &limits);
  return reader;
}

bool lookUp(const std::string& descriptor, const std::string& name, RepositoryInstance& instance) {
  SecurityManager limits;
  std::unique_ptr<SAX2XMLReader> reader = newReader(limits);
  // The outputs change only when the whole file has parsed: a document that
  // turns out malformed further on holds no repository.
  RepositoryInstance collected = instance;
  InstanceCollector collector(name, collected);
  reader->setContentHandler(&collector);
  reader->setErrorHandler(&collector);  // DefaultHandler throws on fatal errors only
  if (!parseDescriptor(*reader, descriptor)) return false;
  instance = collected;
  traceOutcome(name, instance, collector.found());
  return collector.found();
}

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

bool listAll(const std::string& descriptor, bool withInstances, RepositoryList& list,
             std::string* problem) {
  SecurityManager limits;
  std::unique_ptr<SAX2XMLReader> reader = newReader(limits);
  RepositoryCollector collector(withInstances);
  reader->setContentHandler(&collector);
  reader->setErrorHandler(&collector);
  if (!parseDescriptor(*reader, descriptor, problem)) return false;
  list = collector.found();
  return true;
}

// The parser reports a missing, unreadable or malformed file by throwing;
// for the commands that is a descriptor without the repository, and
// `problem` (when given) says what was wrong.
template <typename Result, typename Step>
Result withoutExceptions(Result notFound, const Step& step, std::string* problem = nullptr) {
  std::string why;
  try {
    return step();
  } catch (const SAXParseException& error) {
    why = "is malformed at line " + std::to_string(error.getLineNumber()) + ", column " +
          std::to_string(error.getColumnNumber());
    trace("descriptor %s: %s", why.c_str(), narrowFromXml(error.getMessage()).c_str());
  } catch (...) {
    why = "could not be parsed";
    trace("descriptor %s", why.c_str());
  }
  if (problem != nullptr) *problem = why;
  return notFound;
}

}  // namespace

bool lookUpRepositoryInstance(const std::string& descriptor, const std::string& name,
                              RepositoryInstance& instance) {
  return withoutExceptions(false, [&] { return lookUp(descriptor, name, instance); });
}

bool listRepositoryInstances(const std::string& descriptor, bool withInstances,
                             RepositoryList& list, std::string* problem) {
  return withoutExceptions(
      false, [&] { return listAll(descriptor, withInstances, list, problem); }, problem);
}

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

bool findRepositoryInstance(const std::string& toolFolder, const std::string& name,
                            RepositoryInstance& instance, bool lookupOnly) {
  std::string descriptor = getDescriptorPath(toolFolder);
  if (lookupOnly) return lookUpRepositoryInstance(descriptor, name, instance);
  std::string reason;
  return removeRepositoryInstance(descriptor, name, instance, reason) == Removal::kRemoved;
}
