// The built-in functions that need no particular platform: texts, line lists,
// versions, dates, numbers and the project's variables.

#include <gtest/gtest.h>

#include <string>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "platform/date_time.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "script/cv_evaluator.h"
#include "script/evaluate_expression.h"
#include "script/references.h"

namespace cv {
namespace {

class Functions : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MainDatabase();
    SetMainDatabase(db_.get());
    InstallReferenceHooks();
    db_->LoadFromString(
        "<cv2project><variables><var name='AppName' value='Demo'/></variables>"
        "<components><component id='core'/></components>"
        "<features><feature id='app'><features><feature id='help'/></features></feature>"
        "<feature id='extra' condition='0'/></features>"
        "<installtypes><installtype id='full'><features><feature id='app'/></features>"
        "</installtype><installtype id='mine' custom='1'/></installtypes>"
        "</cv2project>",
        "");
  }
  void TearDown() override {
    SetMainDatabase(saved_);
    VariableTextHook = nullptr;
    LanguageStringHook = nullptr;
  }

  std::string Eval(std::string_view expression) {
    return TheEvaluator().EvaluateFor(db_.get(), 0, 0, true, expression);
  }
  std::string Var(const std::string& name) { return GetVar(db_.get(), name, "<none>"); }

  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();
  TcvMainDatabase* saved_ = nullptr;
};

TEST_F(Functions, SubStrings) {
  EXPECT_EQ(Eval("SubStr('abcdef', 2, 3)"), "bcd");
  EXPECT_EQ(Eval("SubStr('abc', 5, 2)"), "");
  EXPECT_EQ(Eval("SubStr('abc', 'x', 2)"), "ab") << "start defaults to 1";
  EXPECT_EQ(Eval("SubStr('abc', 0, 2)"), "ab");
  EXPECT_EQ(Eval("SubStr('abc', 2, 99)"), "bc");
  EXPECT_EQ(Eval("SubStr('abc', 1, 'x')"), "") << "count defaults to 0";
  EXPECT_EQ(Eval("SubStr('abc', 1, -1)"), "");
  EXPECT_EQ(Eval("FindSubStr('Hello', 'LL', 1)"), "3");
  EXPECT_EQ(Eval("FindSubStr('Hello', 'l', 4)"), "4");
  EXPECT_EQ(Eval("FindSubStr('Hello', 'x', 1)"), "0");
  EXPECT_EQ(Eval("FindSubStr('Hello', 'H', 'x')"), "1");
  EXPECT_EQ(Eval("Length('')"), "0");
  EXPECT_EQ(Eval("Length(%AppName%)"), "4");
}

TEST_F(Functions, CompareAndReplace) {
  EXPECT_EQ(Eval("CompareText('abc', 'ABC')"), "0");
  EXPECT_EQ(Eval("CompareText('abc', 'abd')"), "-1");
  EXPECT_EQ(Eval("CompareText('b', 'A')"), "1");
  EXPECT_EQ(Eval("ReplaceStr('aaa', 'a', 'aa', 0)"), "aaaaaa") << "no rescanning";
  EXPECT_EQ(Eval("ReplaceStr('aAa', 'a', 'b', 0)"), "bAb");
  EXPECT_EQ(Eval("ReplaceStr('aAa', 'a', 'b', 1)"), "bbb");
  EXPECT_EQ(Eval("ReplaceStr('abc', '', 'x', 1)"), "abc");
}

TEST_F(Functions, PathParts) {
  EXPECT_EQ(Eval("FilePath('C:\\Apps\\demo.exe')"), "C:\\Apps");
  EXPECT_EQ(Eval("FilePath('C:\\demo.exe')"), "C:");
  EXPECT_EQ(Eval("FilePath('C:demo.exe')"), "C:");
  EXPECT_EQ(Eval("FilePath('demo.exe')"), "");
  EXPECT_EQ(Eval("FileName('C:\\Apps\\demo.exe')"), "demo.exe");
  EXPECT_EQ(Eval("FileName('C:demo.exe')"), "demo.exe");
  EXPECT_EQ(Eval("FileName('C:\\Apps\\')"), "");
  EXPECT_EQ(Eval("NormalPath('C:\\Apps')"), "C:\\Apps\\");
  EXPECT_EQ(Eval("NormalPath('C:\\Apps\\')"), "C:\\Apps\\");
  EXPECT_EQ(Eval("NormalPath('')"), "");
  EXPECT_EQ(Eval("NormalPath('\"C:\\My \"\"Apps\"\"\" rest')"), "C:\\My \"Apps\"\\");
}

TEST_F(Functions, LineLists) {
  SetVar(db_.get(), "L", "a\r\nb\r\nc");
  EXPECT_EQ(Eval("GetListCount('')"), "0");
  EXPECT_EQ(Eval("GetListCount('one')"), "1");
  EXPECT_EQ(Eval("GetListCount(%L%)"), "3");
  EXPECT_EQ(Eval("GetListStr(%L%, 1)"), "b");
  EXPECT_EQ(Eval("GetListStr(%L%, 3)"), "");
  EXPECT_EQ(Eval("GetListStr(%L%, -1)"), "");
  SetVar(db_.get(), "X", "x\r\nX\r\n");
  EXPECT_EQ(Eval("GetListCount(%X%)"), "2") << "a trailing line break makes no empty line";
  EXPECT_EQ(Eval("FindListStr(%X%, 'X', 0)"), "1");
  EXPECT_EQ(Eval("FindListStr(%X%, 'X', 1)"), "0");
  EXPECT_EQ(Eval("FindListStr(%X%, 'y', 1)"), "-1");

  Eval("SetListStr('L', 1, 'B')");
  EXPECT_EQ(Var("L"), "a\r\nB\r\nc\r\n") << "written back with a final line break";
  Eval("InsertListStr('L', 0, 'first')");
  EXPECT_EQ(Var("L"), "first\r\na\r\nB\r\nc\r\n");
  Eval("InsertListStr('L', 4, 'end')");
  EXPECT_EQ(Var("L"), "first\r\na\r\nB\r\nc\r\n") << "inserting cannot append";
  Eval("DeleteListStr('L', 1)");
  EXPECT_EQ(Var("L"), "first\r\nB\r\nc\r\n");
  Eval("DeleteListStr('L', 9)");
  EXPECT_EQ(Var("L"), "first\r\nB\r\nc\r\n");
  SetVar(db_.get(), "M", "open");
  Eval("AddListStr('M', 'next')");
  EXPECT_EQ(Var("M"), "opennext\r\n") << "appended to the text as it stands";
  Eval("AddListStr('New', 'only')");
  EXPECT_EQ(Var("New"), "only\r\n");
}

TEST_F(Functions, IncludeAndExclude) {
  SetVar(db_.get(), "S", " a,b ");
  Eval("Include('S', 'B')");
  EXPECT_EQ(Var("S"), " a,b ") << "present in another case: unchanged";
  Eval("Include('S', 'c')");
  EXPECT_EQ(Var("S"), "a,b,c") << "trimmed, then appended";
  Eval("Include('Empty', 'x')");
  EXPECT_EQ(Var("Empty"), "x");
  SetVar(db_.get(), "T", "a, B ,,b,c");
  Eval("Exclude('T', 'b')");
  EXPECT_EQ(Var("T"), "a,c");
  SetVar(db_.get(), "U", " x , y ");
  Eval("Exclude('U', 'z')");
  EXPECT_EQ(Var("U"), "x,y") << "rebuilt even when nothing was removed";
}

TEST_F(Functions, VersionsDatesAndNumbers) {
  EXPECT_EQ(Eval("CompareVersion('1.2', '1.10')"), "-1");
  EXPECT_EQ(Eval("CompareVersion('2.0.0.0', '2')"), "0");
  EXPECT_EQ(Eval("CompareVersion('3', '2.9.9.9')"), "1");
  UseEngineDateTimeFormats();
  EXPECT_EQ(Eval("CompareDate('12/07/2026', '12/06/2026')"), "1");
  EXPECT_EQ(Eval("CompareDate('12/07/2026 10:00:00', '12/07/2026 10:00')"), "0");
  EXPECT_EQ(Eval("CompareDate('01/01/2026', '12/31/2025 23:59:59')"), "1");
  EXPECT_EQ(Eval("CompareDate('02/29/2024', '03/01/2024')"), "-1");
  EXPECT_THROW(Eval("CompareDate('02/30/2024', '01/01/2024')"), Error);
  try {
    Eval("CompareDate('soon', '01/01/2024')");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "'soon' is not a valid date and time");
  }
  EXPECT_EQ(Eval("Round('2.5')"), "2");
  EXPECT_EQ(Eval("Round(3.5)"), "4");
  EXPECT_EQ(Eval("Round(-2.5)"), "-2");
  EXPECT_EQ(Eval("Round('abc')"), "0");
  EXPECT_EQ(Eval("Iif(1, 'yes', 'no')"), "yes");
  EXPECT_EQ(Eval("Iif('True', 'yes', 'no')"), "no");
}

TEST_F(Functions, ProjectVariablesAndTypes) {
  EXPECT_EQ(Eval("SetVar('Greeting', 'Hi ' & %AppName%)"), "Hi Demo");
  EXPECT_EQ(Var("Greeting"), "Hi Demo");
  SetVar(db_.get(), "Path", "%AppName%\\[Nothing]");
  EXPECT_EQ(Eval("ParseText('%AppName% [Nothing] %Unknown%', 0)"), "Demo [Nothing] %Unknown%");
  EXPECT_EQ(Eval("ParseText('%AppName% [Nothing] %Unknown%', 1)"), "Demo  ");
  EXPECT_EQ(Eval("ComponentEnabled('CORE')"), "1");
  EXPECT_EQ(Eval("ComponentEnabled('docs')"), "0");
  EXPECT_EQ(Eval("ActiveInstallType"), "");
  EXPECT_EQ(Eval("IsActiveInstallTypeCustom"), "0");
  db_->InstallTypes->Active = db_->InstallTypes->InstallType(1);
  EXPECT_EQ(Eval("ActiveInstallType"), "mine");
  EXPECT_EQ(Eval("IsActiveInstallTypeCustom"), "1");
}

TEST_F(Functions, FeaturesAndInstallTypes) {
  EXPECT_EQ(Eval("FeatureEnabled('help')"), "0");
  Eval("SetInstallType('FULL')");
  EXPECT_EQ(Eval("ActiveInstallType"), "full");
  EXPECT_EQ(Eval("FeatureEnabled('HELP')"), "1") << "found deep in the tree";
  EXPECT_EQ(Eval("FeatureEnabled('app')"), "1");
  EXPECT_EQ(Eval("FeatureEnabled('')"), "0");
  EXPECT_EQ(Eval("FeatureEnabled('nothing')"), "0");
  Eval("SetInstallType('unknown')");
  EXPECT_EQ(Eval("ActiveInstallType"), "full") << "an unknown type changes nothing";
  Eval("SetInstallType('mine')");
  EXPECT_EQ(Eval("FeatureEnabled('app')"), "0");
  EXPECT_EQ(Eval("IsActiveInstallTypeCustom"), "1");
}

TEST_F(Functions, ParameterBlocks) {
  const std::string block = Eval("CreateParams('a', 2, %AppName%)");
  ASSERT_NE(block, "0");
  EXPECT_EQ(Eval("GetParamCount(" + block + ")"), "3");
  EXPECT_EQ(Eval("GetParam(" + block + ", 2)"), "Demo");
  EXPECT_EQ(Eval("GetParam(" + block + ", 3)"), "");
  Eval("SetParam(" + block + ", 0, 'b')");
  Eval("AddParam(" + block + ", 'last')");
  EXPECT_EQ(Eval("GetParam(" + block + ", 0) & GetParam(" + block + ", 3)"), "blast");
  Eval("SetParamCount(" + block + ", 1)");
  EXPECT_EQ(Eval("GetParamCount(" + block + ")"), "1");
  Eval("SetParamCount(" + block + ", -4)");
  EXPECT_EQ(Eval("GetParamCount(" + block + ")"), "0");
  Eval("DestroyParamsBlock(" + block + ")");
  EXPECT_FALSE(BlockExists(std::stoi(block)));
  EXPECT_EQ(Eval("GetParamCount(" + block + ")"), "0");
  const std::string empty = Eval("CreateParamsBlock");
  EXPECT_NE(empty, block) << "ids are never reused";
  EXPECT_EQ(Eval("GetParamCount(" + empty + ")"), "0");
  EXPECT_EQ(Eval("GetParamCount(CreateParams)"), "0") << "no arguments, no parameters";
  DestroyBlock(std::stoi(empty));
}

TEST_F(Functions, SendMessageGoesThroughTheDispatcher) {
  struct Seen {
    std::string Name;
    std::int32_t In = 0, Out = 0;
    bool ProcessAll = false;
  };
  static Seen seen;
  seen = Seen{};
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t sender, std::int32_t, const std::string& name,
                        std::int32_t in, std::int32_t out, bool processAll) {
    EXPECT_EQ(sender, 0) << "scripts send as the engine";
    seen = Seen{name, in, out, processAll};
    AddStr(out, "answer " + GetStr(in, 0));
    return 7;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);
  const std::string in = Eval("CreateParams('question')");
  const std::string out = Eval("CreateParamsBlock");
  EXPECT_EQ(Eval("SendMessage('MY_MESSAGE', " + in + ", " + out + ", 0, 1)"), "7");
  EXPECT_FALSE(seen.ProcessAll);
  // Processing all handlers, the answer is that of the scripts run last.
  const std::string again = Eval("CreateParams('again')");
  EXPECT_EQ(Eval("SendMessage('MY_MESSAGE', " + again + ", " + out + ", 1, 0)"), "0");
  SetMessageHandlers(previous);
  EXPECT_TRUE(BlockExists(std::stoi(again))) << "kept when not asked to free it";
  DestroyBlock(std::stoi(again));
  EXPECT_EQ(seen.Name, "MY_MESSAGE");
  EXPECT_EQ(std::to_string(seen.In), again);
  EXPECT_EQ(std::to_string(seen.Out), out);
  EXPECT_TRUE(seen.ProcessAll);
  EXPECT_FALSE(BlockExists(std::stoi(in))) << "the in-block was freed as asked";
  EXPECT_EQ(Eval("GetParam(" + out + ", 0)"), "answer question");
  EXPECT_EQ(Eval("GetParam(" + out + ", 1)"), "answer again");
  EXPECT_GE(RegisterMessage("my_message"), 4096);
  DestroyBlock(std::stoi(out));
}

}  // namespace
}  // namespace cv
