#include "platform/ini_file.h"
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../database/scratch_folder.h"

namespace cv {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;
using Lines = std::vector<std::string>;

// Every file here has full paths, so nothing depends on the Windows folder.
class IniFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name = "test.ini") const { return scratch_.File(name); }

  // Writes `bytes` to the test file and opens it with all options on.
  std::unique_ptr<TkeIniFile> Open(const std::string& bytes, bool readOnly = false) {
    WriteBytes(Path(), bytes);
    return TkeIniFile::Create(Path(), readOnly);
  }

  static Lines Strings(TkeIniFile& ini) {
    Lines lines;
    ini.GetStrings(lines);
    return lines;
  }

  ScratchFolder scratch_;
};

// --- loading ---

TEST_F(IniFileTest, QuotedValueWithSpacesAroundEqualsIsCleanedUp) {
  auto ini = Open("[S]\r\n\t  Name  =  'some value'\r\n");
  EXPECT_EQ(ini->ReadString("S", "Name", "?"), "some value");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "Name=some value", ""}));
}

TEST_F(IniFileTest, QuotesStayWhenStripQuotesIsOff) {
  WriteBytes(Path(), "[S]\r\n\t  Name  =  'some value'\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), false, true, true, true, false);
  EXPECT_EQ(ini->ReadString("S", "Name", "?"), "'some value'");
}

TEST_F(IniFileTest, DoubleQuotesAreStripped) {
  auto ini = Open("[S]\r\nA=\"x y\"\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "x y");
}

TEST_F(IniFileTest, MismatchedQuotesStay) {
  auto ini = Open("[S]\r\nA='x\"\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "'x\"");
}

TEST_F(IniFileTest, QuoteStrippingNeedsTwoCharactersAfterEquals) {
  auto ini = Open("[S]\r\nA=\"\r\nB=\"\"\r\nC='a'b'\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "\"");
  EXPECT_EQ(ini->ReadString("S", "B", "?"), "");
  EXPECT_EQ(ini->ReadString("S", "C", "?"), "a'b");
}

TEST_F(IniFileTest, QuotesAfterLeadingEqualsStay) {
  WriteBytes(Path(), "[S]\r\n='v'\r\n");
  auto ini = TkeIniFile::Create(Path(), false);
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "='v'", ""}));
}

TEST_F(IniFileTest, SpacesAfterLeadingEqualsStay) {
  auto ini = Open("[S]\r\n=  v\r\n");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "=  v", ""}));
}

TEST_F(IniFileTest, OnlyTheFirstEqualsIsTrimmed) {
  auto ini = Open("[S]\r\nA \t= b = c\r\n");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A=b = c", ""}));
}

TEST_F(IniFileTest, SpacesStayWhenTrimAroundEqualsIsOff) {
  WriteBytes(Path(), "[S]\r\nA = b\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), true, false, true, true, false);
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A = b", ""}));
  EXPECT_EQ(ini->ReadString("S", "A ", "?"), " b");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "?");
}

TEST_F(IniFileTest, LinesAreTrimmedOfBlanksAndControlCharacters) {
  auto ini = Open("[S]\r\n\x01\t A=b \x02\x7F\r\n");
  // 0x7F is no control character by this rule (only bytes up to the space).
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A=b \x02\x7F", ""}));
}

TEST_F(IniFileTest, EndOfFileMarkIsIgnored) {
  auto ini = Open("[S]\r\nA=1\r\n\x1A");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A=1", ""}));
}

TEST_F(IniFileTest, LastLineNeedsNoLineEnd) {
  auto ini = Open("[S]\r\nA=1");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "1");
}

TEST_F(IniFileTest, CarriageReturnAloneEndsALine) {
  auto ini = Open("[S]\rA=1\rB=2");
  EXPECT_EQ(ini->ReadString("S", "B", "?"), "2");
}

TEST_F(IniFileTest, FileWithLineFeedsOnlyIsOneLine) {
  auto ini = Open("[S]\nA=1\nB=2\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "?");
  Lines sections;
  ini->ReadSections(sections);
  EXPECT_TRUE(sections.empty());
}

TEST_F(IniFileTest, LineFeedsInsideALineAreRemoved) {
  auto ini = Open("[S]\r\nA=1\n2\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "12");
}

TEST_F(IniFileTest, CommentsAreSkipped) {
  auto ini = Open("[S]\r\n;A=1\r\n  ;B=2\r\nC=;3\r\n");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "C=;3", ""}));
}

TEST_F(IniFileTest, CommentsStayWhenSkipCommentsIsOff) {
  WriteBytes(Path(), "[S]\r\n;A=1\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), true, true, true, false, false);
  EXPECT_EQ(ini->ReadString("S", ";A", "?"), "1");
}

TEST_F(IniFileTest, CommentWithoutEqualsIsKeptOnlyWithBothSkipsOff) {
  WriteBytes(Path(), "[S]\r\n; note\r\nplain\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), true, true, false, false, false);
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "; note", "plain", ""}));
}

TEST_F(IniFileTest, LinesWithoutEqualsAreSkipped) {
  auto ini = Open("[S]\r\nplain\r\nA=1\r\n");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A=1", ""}));
}

TEST_F(IniFileTest, LinesBeforeTheFirstSectionAreDropped) {
  auto ini = Open("A=1\r\n[S]\r\nB=2\r\n");
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "B=2", ""}));
}

TEST_F(IniFileTest, SectionNameIsTakenAsWritten) {
  auto ini = Open("  [ My Section ]  \r\nA=1\r\n[]\r\nB=2\r\n[x]y\r\n");
  Lines sections;
  ini->ReadSections(sections);
  EXPECT_EQ(sections, (Lines{" My Section ", ""}));
  EXPECT_EQ(ini->ReadString(" my section ", "A", "?"), "1");
  EXPECT_EQ(ini->ReadString("My Section", "A", "?"), "?");
  EXPECT_EQ(ini->ReadString("", "B", "?"), "2");
}

TEST_F(IniFileTest, DuplicateSectionKeepsTheFirstOnly) {
  auto ini = Open("[Sec]\r\nA=1\r\n[Other]\r\nC=3\r\n[SEC]\r\nA=2\r\nB=2\r\n");
  EXPECT_EQ(ini->ReadString("sec", "A", "?"), "1");
  EXPECT_EQ(ini->ReadString("SEC", "B", "?"), "?");
  Lines sections;
  ini->ReadSections(sections);
  EXPECT_EQ(sections, (Lines{"Sec", "Other"}));
  // Loading alone does not rewrite the file; the next write-back drops the
  // second section.
  EXPECT_FALSE(ini->Modified);
  ini->WriteString("Other", "D", "4");
  ini->UpdateFile();
  EXPECT_EQ(ReadBytes(Path()), "[Sec]\r\nA=1\r\n\r\n[Other]\r\nC=3\r\nD=4\r\n\r\n");
}

TEST_F(IniFileTest, LoadMarksModifiedWhenItDropsDuplicates) {
  auto ini = Open("");
  ini->LoadText("[a]\r\nx=1\r\n[A]\r\ny=2\r\n");
  EXPECT_TRUE(ini->Modified);
  ini->UpdateFile();
  EXPECT_EQ(ReadBytes(Path()), "[a]\r\nx=1\r\n\r\n");
}

TEST_F(IniFileTest, LoadWithoutDuplicatesLeavesModifiedAlone) {
  auto ini = Open("");
  ini->LoadText("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
  EXPECT_FALSE(ini->Modified);
  EXPECT_EQ(ini->ReadString("B", "Y", "?"), "2");
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
  auto ini = TkeIniFile::Create(Path("deeper/sub/new.ini"), false);
  EXPECT_EQ(ini->ReadString("S", "A", "dflt"), "dflt");
  EXPECT_FALSE(std::filesystem::exists(Path("deeper")));
  ini->WriteString("S", "A", "1");
  ini.reset();
  EXPECT_EQ(ReadBytes(Path("deeper/sub/new.ini")), "[S]\r\nA=1\r\n\r\n");
}

TEST_F(IniFileTest, MissingFileIsNotCreatedWithoutChanges) {
  auto ini = TkeIniFile::Create(Path(), false);
  ini.reset();
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(IniFileTest, FileThatCannotBeOpenedRaises) {
  // A folder exists but cannot be opened as a file.
  std::filesystem::create_directory(Path("folder.ini"));
  try {
    TkeIniFile ini(Path("folder.ini"), true);
    FAIL() << "no error raised";
  } catch (const EInOutError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + Path("folder.ini"));
  }
}

// --- finding keys ---

TEST_F(IniFileTest, FindKeyGivesTheLineAndRotatesFromCurrentSection) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=3\r\n[C]\r\nw=4\r\n");
  TIniLines* lines = nullptr;
  EXPECT_EQ(ini->FindKey("b", "Z", lines, false), 1);
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines, &ini->Sections.Lines(1));
  EXPECT_EQ(ini->CurrentSection, 1);
  EXPECT_EQ(ini->FindKey("A", "x", lines, false), 0);
  EXPECT_EQ(ini->CurrentSection, 0);
  EXPECT_EQ(ini->FindKey("C", "nothing", lines, false), -1);
  EXPECT_EQ(lines, &ini->Sections.Lines(2));
  EXPECT_EQ(ini->CurrentSection, 2);
}

TEST_F(IniFileTest, FindKeyForMissingSectionWithoutCreation) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  TIniLines* lines = nullptr;
  ini->FindKey("B", "y", lines, false);
  EXPECT_EQ(ini->FindKey("Q", "y", lines, false), -1);
  EXPECT_EQ(lines, nullptr);
  EXPECT_EQ(ini->CurrentSection, 1);  // every section compared once, back at the start
  EXPECT_EQ(ini->Sections.Count(), 2);
}

TEST_F(IniFileTest, FindKeyCreatesMissingSection) {
  auto ini = Open("[A]\r\nx=1\r\n");
  TIniLines* lines = nullptr;
  EXPECT_EQ(ini->FindKey("New", "y", lines, true), -1);
  ASSERT_NE(lines, nullptr);
  EXPECT_TRUE(lines->empty());
  EXPECT_EQ(ini->Sections.Count(), 2);
  EXPECT_EQ(ini->Sections.Name(1), "New");
  EXPECT_EQ(ini->CurrentSection, 1);
  EXPECT_FALSE(ini->Modified);
}

TEST_F(IniFileTest, FindKeyIgnoresLinesWithoutEquals) {
  WriteBytes(Path(), "[S]\r\nkey\r\nkey=1\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), true, true, false, true, false);
  TIniLines* lines = nullptr;
  EXPECT_EQ(ini->FindKey("S", "KEY", lines, false), 1);
}

TEST_F(IniFileTest, FirstMatchingLineWins) {
  auto ini = Open("[S]\r\nA=1\r\na=2\r\n");
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "1");
}

TEST_F(IniFileTest, SectionListIndexOfRotatesFromLastFound) {
  TSectionList list;
  list.Add("One");
  list.Add("Two");
  list.Add("two");
  EXPECT_EQ(list.IndexOf("TWO"), 1);
  EXPECT_EQ(list.LastFound, 1);
  list.LastFound = 2;
  EXPECT_EQ(list.IndexOf("TWO"), 2);  // the search starts at LastFound
  EXPECT_EQ(list.IndexOf("one"), 0);  // and wraps around to the start
  EXPECT_EQ(list.LastFound, 0);
  EXPECT_EQ(list.IndexOf("three"), -1);
  EXPECT_EQ(list.LastFound, 0);
}

// --- reading ---

TEST_F(IniFileTest, ReadStringGivesTextAfterTheFirstEquals) {
  auto ini = Open("[S]\r\nA=b=c\r\nE=\r\n");
  EXPECT_EQ(ini->ReadString("s", "a", "?"), "b=c");
  EXPECT_EQ(ini->ReadString("S", "E", "?"), "");
  EXPECT_EQ(ini->ReadString("S", "missing", "?"), "?");
  EXPECT_EQ(ini->ReadString("missing", "A", "?"), "?");
  EXPECT_EQ(ini->Sections.Count(), 1);  // reading creates no section
}

TEST_F(IniFileTest, ReadIntegerForms) {
  auto ini = Open(
      "[S]\r\nDec=42\r\nNeg=-17\r\nHex=0x1F\r\nHexUpper=0XfF\r\nDollar=$10\r\n"
      "Word=abc\r\nEmpty=\r\nMax=2147483647\r\nOver=2147483648\r\nMin=-2147483648\r\n"
      "Pattern=0xFFFFFFFF\r\nLong=0x100000000\r\nBareX=0x\r\nTrail=12a\r\nSigned=+5\r\n");
  EXPECT_EQ(ini->ReadInteger("S", "Dec", 7), 42);
  EXPECT_EQ(ini->ReadInteger("S", "Neg", 7), -17);
  EXPECT_EQ(ini->ReadInteger("S", "Hex", 7), 31);
  EXPECT_EQ(ini->ReadInteger("S", "HexUpper", 7), 255);
  EXPECT_EQ(ini->ReadInteger("S", "Dollar", 7), 16);
  EXPECT_EQ(ini->ReadInteger("S", "Word", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Missing", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Max", 7), 2147483647);
  EXPECT_EQ(ini->ReadInteger("S", "Over", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Min", 7), INT32_MIN);
  EXPECT_EQ(ini->ReadInteger("S", "Pattern", 7), -1);
  EXPECT_EQ(ini->ReadInteger("S", "Long", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "BareX", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Trail", 7), 7);
  EXPECT_EQ(ini->ReadInteger("S", "Signed", 7), 5);
}

TEST_F(IniFileTest, ReadBool) {
  auto ini = Open("[S]\r\nOn=1\r\nOff=0\r\nTwo=2\r\nWord=yes\r\n");
  EXPECT_TRUE(ini->ReadBool("S", "On", false));
  EXPECT_FALSE(ini->ReadBool("S", "Off", true));
  EXPECT_TRUE(ini->ReadBool("S", "Two", false));
  EXPECT_TRUE(ini->ReadBool("S", "Word", true));
  EXPECT_FALSE(ini->ReadBool("S", "Word", false));
  EXPECT_TRUE(ini->ReadBool("S", "Missing", true));
}

TEST_F(IniFileTest, ReadSectionAppendsNames) {
  WriteBytes(Path(), "[S]\r\nA=1\r\nplain\r\n=x\r\nB=2\r\n");
  auto ini = TkeIniFile::CreateWithOptions(Path(), true, true, false, true, false);
  Lines names{"kept"};
  ini->ReadSection("s", names);
  EXPECT_EQ(names, (Lines{"kept", "A", "", "", "B"}));
  ini->ReadSection("missing", names);
  EXPECT_EQ(names.size(), 5u);
}

TEST_F(IniFileTest, ReadSectionsReplacesTheList) {
  auto ini = Open("[One]\r\nA=1\r\n[Two]\r\nB=2\r\n");
  Lines names{"old"};
  ini->ReadSections(names);
  EXPECT_EQ(names, (Lines{"One", "Two"}));
}

TEST_F(IniFileTest, ReadSectionValuesMergesDefaults) {
  auto ini = Open("[S]\r\nA=1\r\nB=2\r\n");
  Lines values{"b=default", "C=3"};
  ini->ReadSectionValues("S", values);
  EXPECT_EQ(values, (Lines{"A=1", "B=2", "C=3"}));
  Lines untouched{"X=1"};
  ini->ReadSectionValues("missing", untouched);
  EXPECT_EQ(untouched, (Lines{"X=1"}));
}

// --- writing ---

TEST_F(IniFileTest, WriteStringAppendsReplacesAndWritesBack) {
  auto ini = Open("[S]\r\nA=1\r\n");
  ini->WriteString("S", "B", "2");
  ini->WriteString("s", "a", "one");
  ini->WriteString("New", "K", "v");
  EXPECT_TRUE(ini->Modified);
  ini->UpdateFile();
  EXPECT_FALSE(ini->Modified);
  EXPECT_EQ(ReadBytes(Path()), "[S]\r\na=one\r\nB=2\r\n\r\n[New]\r\nK=v\r\n\r\n");
}

TEST_F(IniFileTest, WritingTheStoredValueChangesNothing) {
  auto ini = Open("[S]\r\nA=1\r\n");
  ini->WriteString("S", "A", "1");
  EXPECT_FALSE(ini->Modified);
  ini->WriteString("S", "a", "1");
  EXPECT_TRUE(ini->Modified);
}

TEST_F(IniFileTest, WritingAnotherCaseOfTheValueMarksModified) {
  auto ini = Open("[S]\r\nA=abc\r\n");
  ini->WriteString("S", "A", "ABC");
  EXPECT_TRUE(ini->Modified);
  EXPECT_EQ(ini->ReadString("S", "A", "?"), "ABC");
}

TEST_F(IniFileTest, WriteIntegerAndBool) {
  auto ini = Open("");
  ini->WriteInteger("S", "I", -12);
  ini->WriteBool("S", "T", true);
  ini->WriteBool("S", "F", false);
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "I=-12", "T=1", "F=0", ""}));
}

TEST_F(IniFileTest, WriteSectionValuesSplitsAtTheFirstEquals) {
  auto ini = Open("[S]\r\nA=old\r\n");
  ini->WriteSectionValues("S", {"A=x=y", "B=", "C"});
  EXPECT_EQ(Strings(*ini), (Lines{"[S]", "A=x=y", "B=", "C=", ""}));
}

TEST_F(IniFileTest, WriteWithEmptyIdentAndValueErasesTheSection) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  ini->WriteString("a", "", "");
  ini->UpdateFile();
  EXPECT_EQ(ReadBytes(Path()), "[B]\r\ny=2\r\n\r\n");
}

TEST_F(IniFileTest, WriteWithEmptyIdentButAValueErasesTheSection) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  ini->WriteString("B", "", "v");
  EXPECT_EQ(Strings(*ini), (Lines{"[A]", "x=1", ""}));
}

TEST_F(IniFileTest, WriteWithEverythingEmptyWritesBack) {
  auto ini = Open("[A]\r\nx=1\r\n");
  ini->WriteString("A", "y", "2");
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nx=1\r\n");
  ini->WriteString("", "", "");
  EXPECT_FALSE(ini->Modified);
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nx=1\r\ny=2\r\n\r\n");
}

TEST_F(IniFileTest, WriteBackDropsLostLines) {
  auto ini = Open(
      "top=1\r\n[S]\r\n; comment\r\nno equals\r\n  A = 'q'  \r\n\r\n\r\n[Empty]\r\n");
  ini->WriteString("S", "B", "2");
  ini->UpdateFile();
  EXPECT_EQ(ReadBytes(Path()), "[S]\r\nA=q\r\nB=2\r\n\r\n");
}

TEST_F(IniFileTest, WriteBackShortensTheFile) {
  auto ini = Open("[A]\r\nlong=" + std::string(200, 'x') + "\r\n");
  ini->WriteString("A", "long", "y");
  ini->UpdateFile();
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nlong=y\r\n\r\n");
}

TEST_F(IniFileTest, DestructionWritesBack) {
  auto ini = Open("[A]\r\nx=1\r\n");
  ini->WriteString("A", "x", "2");
  ini.reset();
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nx=2\r\n\r\n");
}

TEST_F(IniFileTest, ReadOnlyObjectNeverWrites) {
  auto ini = Open("[A]\r\nx=1\r\n", true);
  ini->WriteString("A", "x", "2");
  EXPECT_EQ(ini->ReadString("A", "x", "?"), "2");
  ini->UpdateFile();
  EXPECT_FALSE(ini->Modified);
  ini.reset();
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nx=1\r\n");
}

TEST_F(IniFileTest, ReadOnlyObjectOfMissingFileCreatesNothing) {
  auto ini = TkeIniFile::Create(Path(), true);
  ini->WriteString("A", "x", "2");
  ini.reset();
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(IniFileTest, SetFileNameWritesBackAndLoadsTheNextFile) {
  WriteBytes(Path("second.ini"), "[B]\r\ny=2\r\n");
  auto ini = Open("[A]\r\nx=1\r\n");
  ini->WriteString("A", "x", "changed");
  ini->SetFileName(Path("second.ini"));
  EXPECT_EQ(ReadBytes(Path()), "[A]\r\nx=changed\r\n\r\n");
  EXPECT_EQ(ini->FileName, Path("second.ini"));
  EXPECT_FALSE(ini->Modified);
  EXPECT_EQ(ini->ReadString("A", "x", "?"), "?");
  EXPECT_EQ(ini->ReadString("B", "y", "?"), "2");
}

TEST_F(IniFileTest, EmptyFileNameLoadsNothingAndWritesNothing) {
  TkeIniFile ini("", false);
  EXPECT_EQ(ini.FileName, "");
  ini.WriteString("A", "x", "1");
  ini.UpdateFile();
  EXPECT_FALSE(ini.Modified);
  EXPECT_EQ(ini.ReadString("A", "x", "?"), "1");
}

// --- erasing ---

TEST_F(IniFileTest, EraseSectionResetsTheSearchStart) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n");
  Lines names;
  ini->ReadSection("C", names);
  EXPECT_EQ(ini->Sections.LastFound, 2);
  ini->EraseSection("c");
  EXPECT_EQ(ini->Sections.LastFound, 0);
  EXPECT_TRUE(ini->Modified);
  EXPECT_EQ(ini->ReadString("A", "x", "?"), "1");
  EXPECT_EQ(ini->ReadString("B", "y", "?"), "2");
}

TEST_F(IniFileTest, EraseMissingSectionChangesNothing) {
  auto ini = Open("[A]\r\nx=1\r\n");
  ini->EraseSection("B");
  EXPECT_FALSE(ini->Modified);
}

TEST_F(IniFileTest, FindKeyAfterEraseOfTheCurrentLastSection) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(ini->ReadString("B", "y", "?"), "2");
  ini->EraseSection("B");
  EXPECT_EQ(ini->ReadString("A", "x", "?"), "1");
  EXPECT_EQ(ini->CurrentSection, 0);
}

TEST_F(IniFileTest, DeleteKeyRemovesTheLine) {
  auto ini = Open("[A]\r\nx=1\r\ny=2\r\n");
  ini->DeleteKey("a", "X");
  EXPECT_TRUE(ini->Modified);
  EXPECT_EQ(Strings(*ini), (Lines{"[A]", "y=2", ""}));
}

TEST_F(IniFileTest, DeleteMissingKeyCreatesAnEmptySectionOnly) {
  auto ini = Open("[A]\r\nx=1\r\n");
  ini->DeleteKey("B", "x");
  EXPECT_FALSE(ini->Modified);
  EXPECT_EQ(ini->Sections.Count(), 2);
  EXPECT_EQ(Strings(*ini), (Lines{"[A]", "x=1", ""}));
}

TEST_F(IniFileTest, GetStringsAppends) {
  auto ini = Open("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  Lines lines{"first"};
  ini->GetStrings(lines);
  EXPECT_EQ(lines, (Lines{"first", "[A]", "x=1", "", "[B]", "y=2", ""}));
}

// --- the file stays locked against other writers ---

TEST_F(IniFileTest, SecondWriterIsRefusedWhileReadersAreAllowed) {
  auto writer = Open("[A]\r\nx=1\r\n");
  try {
    TkeIniFile second(Path(), false);
    FAIL() << "a second writer was let in";
  } catch (const EInOutError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + Path());
  }
  TkeIniFile reader(Path(), true);
  EXPECT_EQ(reader.ReadString("A", "x", "?"), "1");
}

TEST_F(IniFileTest, WriterIsAllowedAfterTheFirstIsGone) {
  auto writer = Open("[A]\r\nx=1\r\n");
  writer.reset();
  TkeIniFile second(Path(), false);
  EXPECT_EQ(second.ReadString("A", "x", "?"), "1");
}

TEST_F(IniFileTest, NameWithAFolderIsKeptAsGiven) {
  EXPECT_EQ(IniFullFileName(Path()), Path());
  TkeIniFile ini(Path(), false);
  EXPECT_EQ(ini.FileName, Path());
}

// --- integers as text ---

TEST(StrToIntDef, Forms) {
  EXPECT_EQ(StrToIntDef("  12", 0), 12);
  EXPECT_EQ(StrToIntDef("-$10", 0), -16);
  EXPECT_EQ(StrToIntDef("$", 9), 9);
  EXPECT_EQ(StrToIntDef("-", 9), 9);
  EXPECT_EQ(StrToIntDef("12 ", 9), 9);
  EXPECT_EQ(StrToIntDef("-2147483649", 9), 9);
  EXPECT_EQ(StrToIntDef("1f", 9), 9);
  EXPECT_EQ(StrToIntDef("$80000000", 0), INT32_MIN);
}

}  // namespace
}  // namespace cv
