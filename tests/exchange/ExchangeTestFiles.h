#pragma once
// Temporary folders and small document files for the exchange-document tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/ExchangeDocument.h"

#include "support/FixtureCopies.h"
namespace velmaro::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmaro-exchange-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes `bytes` exactly as given to the file `name` in this folder and returns its path.
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + file.string());
        KeepFixtureCopy(file, bytes);
        return file;
    }

private:
    std::filesystem::path path_;
};

// Loads a document written from `xml` into a fresh temporary folder.
inline ExchangeDocument LoadXml(std::string_view xml) {
    TempFolder folder;
    return ExchangeDocument::Load(folder.Write("intercambio.xml", xml));
}

// Every field value of `record`, by position.
inline std::vector<std::string> FieldsOf(const ExchangeRecord& record) {
    std::vector<std::string> fields;
    for (std::size_t k = 0; k < record.FieldCount(); ++k) fields.push_back(record.Field(k));
    return fields;
}

// Every field value of every record of `section`, record by record.
inline std::vector<std::vector<std::string>> SectionValues(const ExchangeDocument& document,
                                                           std::string_view section) {
    std::vector<std::vector<std::string>> values;
    for (const ExchangeRecord& record : document.Records(section)) {
        values.push_back(FieldsOf(record));
    }
    return values;
}

}  // namespace velmaro::testing
