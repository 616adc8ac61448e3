#include "engine/language_list.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

std::vector<std::string> Entries(const std::vector<LanguageEntry>& list) {
  std::vector<std::string> out;
  for (const LanguageEntry& entry : list) out.push_back(entry.Id + "=" + entry.Name);
  return out;
}

TEST(WindowsLanguageNames, ReplaceMatchingEntriesInPlace) {
  std::vector<LanguageEntry> list{{"ENU", "English (US)"}, {"DEU", "Deutsch"}, {"FRA", "Francais"}};
  ApplyWindowsLanguageNames(list, {{"deu", "German"}, {"ENU", "English"}, {"RUS", "Russian"}});
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"ENU=English", "DEU=German", "FRA=Francais"}));
}

TEST(WindowsLanguageNames, EntryTakesTheUpperCaseAbbreviation) {
  std::vector<LanguageEntry> list{{"enu", "Install English"}};
  ApplyWindowsLanguageNames(list, {{"Enu", "English"}});
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"ENU=English"}));
}

TEST(WindowsLanguageNames, LanguagesMissingFromTheListAreNotAdded) {
  std::vector<LanguageEntry> list{{"ENU", "English"}};
  ApplyWindowsLanguageNames(list, {{"RUS", "Russian"}, {"JPN", "Japanese"}});
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"ENU=English"}));
}

TEST(WindowsLanguageNames, LocaleWithoutAbbreviationIsSkipped) {
  std::vector<LanguageEntry> list{{"", "Neutral"}, {"ENU", "English"}};
  ApplyWindowsLanguageNames(list, {{"", "Unknown"}});
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"=Neutral", "ENU=English"}));
}

TEST(WindowsLanguageNames, EmptyListStaysEmpty) {
  std::vector<LanguageEntry> list;
  ApplyWindowsLanguageNames(list, {{"ENU", "English"}});
  EXPECT_TRUE(list.empty());
}

TEST(AutoSelectedLanguage, UserLanguageFirstIgnoringCase) {
  const std::vector<LanguageEntry> list{
      {"DEU", "Deutsch"}, {"ENU", "English"}, {"FRA", "Francais"}};
  EXPECT_EQ(AutoSelectedLanguage(list, "FRA"), 2u);
  EXPECT_EQ(AutoSelectedLanguage(list, "fra"), 2u);
  EXPECT_EQ(AutoSelectedLanguage(list, "DEU"), 0u);
}

TEST(AutoSelectedLanguage, FallsBackToEnglishThenToTheFirstEntry) {
  const std::vector<LanguageEntry> withEnglish{{"DEU", "Deutsch"}, {"enu", "English"}};
  EXPECT_EQ(AutoSelectedLanguage(withEnglish, "RUS"), 1u);
  const std::vector<LanguageEntry> withoutEnglish{{"DEU", "Deutsch"}, {"FRA", "Francais"}};
  EXPECT_EQ(AutoSelectedLanguage(withoutEnglish, "RUS"), 0u);
}

TEST(AutoSelectedLanguage, MatchesTheWholeIdOnly) {
  const std::vector<LanguageEntry> list{{"ENUX", "Other"}, {"FRA", "Francais"}, {"ENU", "English"}};
  EXPECT_EQ(AutoSelectedLanguage(list, "FR"), 2u);  // not a prefix match of FRA
}

}  // namespace
}  // namespace cv
