#pragma once
// TEMPORARY, until the result document is written from ExchangeProlog by our own XML writer:
// the exchange document as a libxml2 tree, for ResultDocument only (src/jobs/OutboundJob.cpp).
// Delete with SafeXmlParser.{h,cpp} and EntityReference.{h,cpp} when the writer lands.

#include <filesystem>
#include <memory>

struct _xmlDoc;

namespace velmaro {

class LegacyDom {
public:
    // Parses `path` as ParseXmlFileSafely does; throws Error as ExchangeDocument::Load does.
    static LegacyDom Load(const std::filesystem::path& path);

    // The libxml2 document, for building the result document inside it.
    _xmlDoc* Raw() const { return doc_.get(); }

private:
    struct DocDeleter {
        void operator()(_xmlDoc* doc) const;
    };
    explicit LegacyDom(_xmlDoc* doc) : doc_(doc) {}

    std::unique_ptr<_xmlDoc, DocDeleter> doc_;
};

}  // namespace velmaro
