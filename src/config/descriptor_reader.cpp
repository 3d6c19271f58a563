#include "config/descriptor.h"

#include "config/descriptor_xml.h"
#include "config/folders.h"

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <memory>
#include <unordered_map>

using namespace xercesc;

namespace {

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

bool findRepositoryInstance(const std::string& toolFolder, const std::string& name,
                            RepositoryInstance& instance) {
  return lookUpRepositoryInstance(getDescriptorPath(toolFolder), name, instance);
}
