// The result document compared with what libxml2 (the Linux reader) writes for the document it
// holds, and a folder that POSIX permissions keep from being written.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "outbound/ResultDocument.h"
#include "outbound/ResultDocumentFixture.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ErrorMessage;
using testing::FullActivity;
using testing::kExchange;
using testing::Listing;
using testing::PrologOfDocument;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::Utf16WithByteOrderMark;
using testing::WriteBytes;
using testing::WriteLargeResult;

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using ParsedDoc = std::unique_ptr<xmlDoc, DocDeleter>;

// libxml2's tree of `bytes`, to check what the program wrote.
ParsedDoc Parse(const std::string& bytes) {
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "exchange.xml",
                                nullptr, XML_PARSE_NONET);
    EXPECT_NE(doc, nullptr);
    return ParsedDoc(doc);
}

// What libxml2 writes for the document `bytes` in `encoding`.
std::string Libxml2Text(const std::string& bytes, const char* encoding) {
    ParsedDoc doc = Parse(bytes);
    xmlChar* whole = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc.get(), &whole, &size, encoding);
    const std::string text(reinterpret_cast<const char*>(whole), static_cast<std::size_t>(size));
    xmlFree(whole);
    return text;
}

// Whatever the exchange document's encoding, document type and prolog, the saved result must be
// exactly what libxml2 writes for the document it holds: parsed again and written whole, it
// gives the same bytes.
TEST(ResultDocument, FinishedTeachersWrittenAsTheWholeDocumentWouldBe) {
    struct Case {
        const char* name;
        std::string prolog;  // declaration, document type and nodes before the root
        const char* encoding;
    };
    const std::vector<Case> cases = {
        {"Utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--antes-->", "UTF-8"},
        {"Latin1WithCharactersItCannotHold",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "ISO-8859-1"},
        {"InternalSubset",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<!DOCTYPE SERVICIO [<!ENTITY e \"x\"><!ELEMENT dato (#PCDATA)>]><?pi datos?>",
         "UTF-8"},
        {"Utf16", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><!--antes-->", "UTF-16"},
        {"Windows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "windows-1252"},
        {"Latin9", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>", "ISO-8859-15"},
        {"ConvertedByThePlatform", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>",
         "ISO-8859-2"},
        {"StandaloneNo", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>",
         "UTF-8"},
        {"XhtmlDocumentType",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<!DOCTYPE SERVICIO PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
         "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">",
         "UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        const fs::path target = dir.Path() / "r.xml";
        const std::string exchange = c.prolog + "<SERVICIO><BLOQUE_DATOS/></SERVICIO>";
        ResultDocument result(PrologOfDocument(std::string(c.encoding) == "UTF-16"
                                                   ? Utf16WithByteOrderMark(exchange)
                                                   : exchange),
                              target, "2023", 3, "15/03/2024 14:05:09");
        for (int teacher = 1; teacher <= 3; ++teacher) {
            TeacherGroup group = result.AddTeacher(static_cast<std::size_t>(teacher),
                                                   "E\xc3\xa9" + std::to_string(teacher),
                                                   "", 2);
            ActivityValues values = FullActivity();
            values.subjectKey = "\xe2\x82\xac <&> \r\t \"'";  // euro sign, escapes, CR
            values.roomCode = teacher == 2 ? "" : "A\xc3\xb1o";
            result.AddActivity(group, 1, values);
            result.AddActivity(group, 2, FullActivity());
        }
        result.Save();
        const std::string saved = ReadBytes(target);
        EXPECT_EQ(saved, Libxml2Text(saved, c.encoding));
        const std::string lastTeacher = "HORARIO_REGULAR_PROFESOR_3";
        EXPECT_NE(saved.find(std::string(c.encoding) == "UTF-16"
                                 ? Utf16WithByteOrderMark(lastTeacher).substr(2)
                                 : lastTeacher),
                  std::string::npos);
    }
}

// A result of several megabytes, written piece by piece, is the same text libxml2 gives for it.
TEST(ResultDocumentSave, LargeResultIsTheTextLibxml2Writes) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    WriteLargeResult(PrologOfDocument(kExchange), target, 400);
    const std::string saved = ReadBytes(target);
    ASSERT_GT(saved.size(), std::size_t{3} << 20) << "the document must need several pieces";
    EXPECT_EQ(saved, Libxml2Text(saved, "UTF-8"));
}

TEST(ResultDocumentSave, ReadOnlyFolderKeepsTheEarlierResult) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    WriteBytes(target, "viejo");
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    ResultDocument result(PrologOfDocument("<SERVICIO/>"), target, "2023", 0, "f");
    const std::string message = ErrorMessage([&] { result.Save(); });
    EXPECT_NE(message.find(target.string()), std::string::npos) << message;
    fs::permissions(dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), "viejo");
    EXPECT_EQ(Listing(dir.Path()), "r.xml;");
}

}  // namespace
}  // namespace velmaro
