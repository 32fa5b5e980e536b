#include "Exceptions.h"
#include "Files.h"
#include "StringList.h"
#include "Streams.h"
#include "runtime_test_tempdir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
std::vector<UnicodeString> Items(const TStrings& list)
{
    std::vector<UnicodeString> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
    return out;
}

using Lines = std::vector<UnicodeString>;

class Counted : public TObject {
public:
    explicit Counted(int& alive) : alive_(alive) { ++alive_; }
    ~Counted() override { --alive_; }

private:
    int& alive_;
};
} // namespace

TEST(StringList, AddInsertDeleteAndCheckedIndex)
{
    TStringList list;
    EXPECT_EQ(list.Add(L"b"), 0);
    EXPECT_EQ(list.Add(L"c"), 1);
    list.Insert(0, L"a");
    list.Insert(3, L"d");
    EXPECT_EQ(Items(list), (Lines{L"a", L"b", L"c", L"d"}));
    list.Delete(1);
    list.SetStrings(0, L"A");
    EXPECT_EQ(Items(list), (Lines{L"A", L"c", L"d"}));

    EXPECT_THROW(list.Strings(3), EListError);
    EXPECT_THROW(list[-1], EListError);
    EXPECT_THROW(list.Delete(3), EListError);
    EXPECT_THROW(list.Insert(5, L"x"), EListError);
    EXPECT_THROW(list.SetStrings(3, L"x"), EListError);
    EXPECT_THROW(list.Objects(3), EListError);
    try {
        list.Strings(7);
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), L"List index out of bounds (7)");
        EXPECT_EQ(e.ClassName(), L"EListError");
    }
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyLineBreak)
{
    TStringList list;
    EXPECT_EQ(list.Text(), L"");
    list.Add(L"one");
    list.Add(L"");
    list.Add(L"three");
    EXPECT_EQ(list.Text(), L"one\r\n\r\nthree\r\n");

    struct Case {
        const wchar_t* text;
        Lines lines;
    };
    const Case cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a\r\n", {L"a"}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"a\nb\rc\r\n\r\nd", {L"a", L"b", L"c", L"", L"d"}},
        {L"\r\n", {L""}},
        {L"a\n\n", {L"a", L""}},
    };
    for (const Case& c : cases) {
        list.SetText(c.text);
        EXPECT_EQ(Items(list), c.lines) << "text: " << testing::PrintToString(UnicodeString(c.text));
    }
}

TEST(StringList, IndexOfFollowsCaseSensitivity)
{
    TStringList list;
    list.SetText(L"Alpha\r\nbeta\r\nALPHA\r\n");
    EXPECT_EQ(list.IndexOf(L"alpha"), 0);
    EXPECT_EQ(list.IndexOf(L"BETA"), 1);
    EXPECT_EQ(list.IndexOf(L"gamma"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf(L"ALPHA"), 2);
    EXPECT_EQ(list.IndexOf(L"alpha"), -1);
}

TEST(StringList, NameValuePairs)
{
    TStringList list;
    list.SetText(L"Server=127.0.0.1\r\nnoseparator\r\nUser=root\r\nEmpty=\r\nPair=a=b\r\n");
    EXPECT_EQ(list.Values(L"server"), L"127.0.0.1");
    EXPECT_EQ(list.Values(L"Pair"), L"a=b");
    EXPECT_EQ(list.Values(L"Empty"), L"");
    EXPECT_EQ(list.Values(L"missing"), L"");
    EXPECT_EQ(list.Names(0), L"Server");
    EXPECT_EQ(list.Names(1), L"");
    EXPECT_EQ(list.ValueFromIndex(4), L"a=b");
    EXPECT_EQ(list.ValueFromIndex(1), L"");
    EXPECT_EQ(list.IndexOfName(L"USER"), 2);
    EXPECT_EQ(list.IndexOfName(L"noseparator"), -1);

    list.SetValues(L"User", L"admin");     // replaced in place
    list.SetValues(L"Database", L"db_x");  // appended
    list.SetValues(L"Server", L"");        // removed
    list.SetValues(L"Missing", L"");       // nothing to remove
    EXPECT_EQ(Items(list), (Lines{L"noseparator", L"User=admin", L"Empty=", L"Pair=a=b", L"Database=db_x"}));

    list.SetNameValueSeparator(L':');
    list.Add(L"Key:v");
    EXPECT_EQ(list.Values(L"key"), L"v");
}

TEST(StringList, SortedListsInsertInOrderAndHandleDuplicates)
{
    struct Case {
        TDuplicates duplicates;
        Lines expected;
        bool throws;
    };
    const Case cases[] = {
        {dupIgnore, {L"a", L"B", L"c"}, false},
        {dupAccept, {L"a", L"b", L"B", L"c"}, false},
        {dupError, {L"a", L"B", L"c"}, true},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDuplicates(c.duplicates);
        list.SetSorted(true);
        list.Add(L"c");
        list.Add(L"B");
        list.Add(L"a");
        if (c.throws) {
            EXPECT_THROW(list.Add(L"b"), EListError);
        } else {
            const int index = list.Add(L"b");
            EXPECT_EQ(index, 1);
        }
        EXPECT_EQ(Items(list), c.expected) << "duplicates mode " << c.duplicates;
        int at = -1;
        EXPECT_TRUE(list.Find(L"B", at));
        EXPECT_EQ(at, 1);
        EXPECT_FALSE(list.Find(L"bb", at));
        EXPECT_EQ(at, static_cast<int>(c.expected.size()) - 1);
        EXPECT_THROW(list.Insert(0, L"z"), EListError);
        EXPECT_THROW(list.SetStrings(0, L"z"), EListError);
    }

    TStringList late;
    late.SetText(L"delta\r\nAlpha\r\ncharlie\r\nbravo\r\n");
    late.SetSorted(true);
    EXPECT_EQ(Items(late), (Lines{L"Alpha", L"bravo", L"charlie", L"delta"}));
    EXPECT_EQ(late.IndexOf(L"CHARLIE"), 2);
    late.SetCaseSensitive(true);
    EXPECT_EQ(late.IndexOf(L"CHARLIE"), -1);
}

TEST(StringList, OwnedObjectsAreFreedOnDeleteClearAndDestruction)
{
    int alive = 0;
    {
        TStringList list(true);
        list.AddObject(L"a", new Counted(alive));
        list.AddObject(L"b", new Counted(alive));
        list.AddObject(L"c", new Counted(alive));
        EXPECT_EQ(alive, 3);
        list.Delete(0);
        EXPECT_EQ(alive, 2);
        EXPECT_EQ(list.IndexOfObject(list.Objects(1)), 1);
        list.Add(L"plain");
        EXPECT_EQ(list.Objects(2), nullptr);
    }
    EXPECT_EQ(alive, 0);

    auto kept = std::make_unique<Counted>(alive);
    {
        TStringList list;  // not owning
        list.AddObject(L"x", kept.get());
        list.Clear();
    }
    EXPECT_EQ(alive, 1);
}

TEST(StringList, OnChangeFiresOncePerOutermostUpdate)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    };
    list.Add(L"a");
    list.Delete(0);
    EXPECT_EQ(changes, 2);

    changes = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(L"a");
    list.Add(L"b");
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);

    changes = 0;
    list.SetText(L"x\r\ny\r\nz");
    list.SetDelimitedText(L"1,2,3");
    EXPECT_EQ(changes, 2);
}

TEST(StringList, AssignCopiesItemsObjectsAndSettings)
{
    int alive = 0;
    Counted object(alive);
    TStringList source;
    source.SetDelimiter(L';');
    source.SetStrictDelimiter(true);
    source.SetCaseSensitive(true);
    source.Add(L"b");
    source.AddObject(L"a", &object);

    TStringList dest;
    dest.Add(L"old");
    dest.Assign(&source);
    EXPECT_EQ(Items(dest), (Lines{L"b", L"a"}));
    EXPECT_EQ(dest.Objects(1), &object);
    EXPECT_EQ(dest.Delimiter(), L';');
    EXPECT_TRUE(dest.StrictDelimiter());
    EXPECT_TRUE(dest.CaseSensitive());
    EXPECT_EQ(dest.DelimitedText(), L"b;a");

    TPersistent other;
    EXPECT_THROW(dest.Assign(&other), EConvertError);
}

// Splitting and joining of delimited text, in both modes.
TEST(StringList, DelimitedTextSplitting)
{
    struct Case {
        UnicodeString text;
        wchar_t delimiter;
        bool strict;
        Lines items;
    };
    const Case cases[] = {
        // Non-strict: blanks and control characters also split and are skipped around items.
        {L"a,b,c", L',', false, {L"a", L"b", L"c"}},
        {L"a b", L',', false, {L"a", L"b"}},
        {L"  a ,  b  ", L',', false, {L"a", L"b"}},
        {L"a,,b", L',', false, {L"a", L"", L"b"}},
        {L"a,", L',', false, {L"a", L""}},
        {L",a", L',', false, {L"", L"a"}},
        {L"a\tb\x01" L"c", L',', false, {L"a", L"b", L"c"}},
        {L"\"a b\",c", L',', false, {L"a b", L"c"}},
        {L"\"say \"\"hi\"\"\",x", L',', false, {L"say \"hi\"", L"x"}},
        {L"\"ab\"cd,e", L',', false, {L"ab", L"cd", L"e"}},
        {L"\"open", L',', false, {L"open"}},
        {L"", L',', false, {}},
        {L"   ", L',', false, {}},
        // Strict: only the delimiter splits; blanks belong to the items.
        {L"a b;c", L';', true, {L"a b", L"c"}},
        {L" a ; b ", L';', true, {L" a ", L" b "}},
        {L"a;;b;", L';', true, {L"a", L"", L"b", L""}},
        {L"\"12;34\";x;y", L';', true, {L"12;34", L"x", L"y"}},
        {L"\"a \"\"q\"\" b\";2", L';', true, {L"a \"q\" b", L"2"}},
        {L"01.01.2024 10:00:00;684412;", L';', true, {L"01.01.2024 10:00:00", L"684412", L""}},
        {UnicodeString(L"a\0b;c", 5), L';', true, {L"a"}},  // the text ends at a NUL
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDelimiter(c.delimiter);
        list.SetStrictDelimiter(c.strict);
        list.Add(L"stale");
        list.SetDelimitedText(c.text);
        EXPECT_EQ(Items(list), c.items) << "text: " << testing::PrintToString(c.text)
                                        << (c.strict ? " strict" : " non-strict");
    }
}

TEST(StringList, DelimitedTextQuotesOnlyWhereNeededAndRoundTrips)
{
    struct Case {
        Lines items;
        bool strict;
        const wchar_t* text;
    };
    const Case cases[] = {
        {{L"a", L"b"}, false, L"a;b"},
        {{L"a b", L"c"}, false, L"\"a b\";c"},
        {{L"a b", L"c"}, true, L"a b;c"},
        {{L"x;y", L"z"}, true, L"\"x;y\";z"},
        {{L"say \"hi\""}, true, L"\"say \"\"hi\"\"\""},
        {{L"tab\there"}, false, L"\"tab\there\""},
        {{L"a", L"", L"b"}, true, L"a;;b"},
        {{L""}, true, L"\"\""},
        {{}, false, L""},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDelimiter(L';');
        list.SetStrictDelimiter(c.strict);
        for (const auto& item : c.items) list.Add(item);
        EXPECT_EQ(list.DelimitedText(), c.text);

        TStringList back;
        back.SetDelimiter(L';');
        back.SetStrictDelimiter(c.strict);
        back.SetDelimitedText(list.DelimitedText());
        EXPECT_EQ(Items(back), c.items) << "round trip of " << testing::PrintToString(UnicodeString(c.text));
    }
}

// ---- Loading and saving --------------------------------------------------------------------------

TEST(StringListFiles, LoadFromFileDetectsByteOrderMark)
{
    TestTempDir dir;
    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        const TEncoding* given;
        const TEncoding* detected;
    };
    // Every file holds the two lines "ID;Ä" and "1".
    const Case cases[] = {
        {L"utf8bom.csv", {0xEF, 0xBB, 0xBF, 'I', 'D', ';', 0xC3, 0x84, '\r', '\n', '1'}, nullptr, TEncoding::UTF8},
        {L"utf16le.csv",
         {0xFF, 0xFE, 'I', 0, 'D', 0, ';', 0, 0xC4, 0, '\r', 0, '\n', 0, '1', 0}, nullptr, TEncoding::Unicode},
        {L"utf16be.csv",
         {0xFE, 0xFF, 0, 'I', 0, 'D', 0, ';', 0, 0xC4, 0, '\n', 0, '1'}, nullptr, TEncoding::BigEndianUnicode},
        {L"utf8given.csv", {'I', 'D', ';', 0xC3, 0x84, '\n', '1', '\n'}, TEncoding::UTF8, TEncoding::UTF8},
        {L"bomwins.csv", {0xFF, 0xFE, 'I', 0, 'D', 0, ';', 0, 0xC4, 0, '\n', 0, '1', 0}, TEncoding::UTF8,
         TEncoding::Unicode},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.LoadFromFile(dir.Write(c.name, c.bytes), c.given);
        EXPECT_EQ(Items(list), (Lines{L"ID;\u00C4", L"1"})) << testing::PrintToString(UnicodeString(c.name));
        EXPECT_EQ(list.Encoding(), c.detected) << testing::PrintToString(UnicodeString(c.name));
    }

    // Without a mark the bytes are in the ANSI code page.
    const std::vector<std::uint8_t> ansi{'I', 'D', ';', 0xC4, '\r', '\n', '1'};
    TStringList list;
    list.LoadFromFile(dir.Write(L"ansi.csv", ansi));
    EXPECT_EQ(list.Encoding(), TEncoding::ANSI);
    EXPECT_EQ(Items(list), (Lines{L"ID;" + TEncoding::ANSI->GetString(std::vector<std::uint8_t>{0xC4}), L"1"}));

    EXPECT_THROW(list.LoadFromFile(dir.File(L"missing.csv")), EFOpenError);
    EXPECT_EQ(list.Count(), 2);  // unchanged by the failed load
}

TEST(StringListFiles, SaveToFileWritesPreambleOfTheEncoding)
{
    TestTempDir dir;
    TStringList list;
    list.Add(L"a");
    list.Add(L"\u00C4");
    struct Case {
        const wchar_t* name;
        const TEncoding* encoding;
        std::string bytes;
    };
    const TBytes ansiUmlaut = TEncoding::ANSI->GetBytes(L"\u00C4");
    const Case cases[] = {
        {L"ansi.txt", nullptr, "a\r\n" + std::string(ansiUmlaut.begin(), ansiUmlaut.end()) + "\r\n"},
        {L"utf8.txt", TEncoding::UTF8, "\xEF\xBB\xBF" "a\r\n\xC3\x84\r\n"},
        {L"utf16.txt", TEncoding::Unicode, std::string("\xFF\xFE" "a\0\r\0\n\0\xC4\0\r\0\n\0", 14)},
    };
    for (const Case& c : cases) {
        list.SaveToFile(dir.File(c.name), c.encoding);
        EXPECT_EQ(dir.Read(c.name), c.bytes) << testing::PrintToString(UnicodeString(c.name));
        TStringList back;
        back.LoadFromFile(dir.File(c.name));
        EXPECT_EQ(back.Text(), list.Text());
    }
    EXPECT_THROW(list.SaveToFile(dir.File(L"no\\such\\dir.txt")), EFCreateError);
}

TEST(StringListFiles, LoadFromStreamReadsFromTheCurrentPosition)
{
    TMemoryStream stream;
    const std::string bytes = "skip\xEF\xBB\xBFx=1\r\ny=\xC3\xA4";
    stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(4);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Items(list), (Lines{L"x=1", L"y=\u00E4"}));
    EXPECT_EQ(stream.Position(), stream.Size());

    TMemoryStream out;
    list.SaveToStream(out, TEncoding::UTF8);
    out.SetPosition(0);
    TStringList back;
    back.LoadFromStream(out);
    EXPECT_EQ(back.Values(L"y"), L"\u00E4");
}
