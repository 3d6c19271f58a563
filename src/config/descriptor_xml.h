// What the descriptor's reader and its rewriter share: the parser's names,
// the rules by which an "instance" element fills a RepositoryInstance, the
// read of the file's bytes and the turn of the parser's exceptions into a
// plain result. For descriptor_reader.cpp and descriptor_rewriter.cpp only;
// nothing here prints (the trace aside) or lets an exception out.
#pragma once

#include "config/descriptor.h"
#include "config/narrow_text.h"
#include "util/numbers.h"
#include "util/trace.h"

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLString.hpp>

#include <fstream>
#include <sstream>
#include <string>

// Far above what any real descriptor uses, far below what a nested-entity
// bomb needs to exhaust memory.
constexpr XMLSize_t kEntityExpansionLimit = 10000;

// "instance", "name", ... as the parser's UTF-16 text.
class XmlName {
 public:
  explicit XmlName(const char* text) : text_(xercesc::XMLString::transcode(text)) {}
  ~XmlName() { xercesc::XMLString::release(&text_); }
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
    xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                      "vexa_config.xml");
    parser.parse(source);
    if (parser.getErrorCount() == 0) return true;
    failure = "is malformed";
  }
  trace("descriptor %s", failure);
  if (problem != nullptr) *problem = failure;
  return false;
}

// What the trace says of a lookup's outcome.
void traceOutcome(const std::string& name, const RepositoryInstance& instance, bool found);

// An empty host is this machine.
std::string orLocalhost(const std::string& host);

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

// The parser reports a missing, unreadable or malformed file by throwing;
// for the commands that is a descriptor without the repository, and
// `problem` (when given) says what was wrong.
template <typename Result, typename Step>
Result withoutExceptions(Result notFound, const Step& step, std::string* problem = nullptr) {
  std::string why;
  try {
    return step();
  } catch (const xercesc::SAXParseException& error) {
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
