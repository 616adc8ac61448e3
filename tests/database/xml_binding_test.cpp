// Objects filled from and written to XML through their published properties
// only, shown on small classes declared the way the project model declares
// its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <utility>

#include "database/xml_object.h"
#include "database/xml_object_list.h"
#include "database/xml_param_list.h"
#include "sample_model.h"

namespace cv {

enum class TestShow { scNormal, scMinimized, scMax };
CV_XML_ENUM(TestShow, "scNormal", "scMinimized", "scMax");

enum class TestFlag { dont_log, no_version, reg_server, reg_font, shared };
CV_XML_ENUM(TestFlag, "dont_log", "no_version", "reg_server", "reg_font", "shared");

namespace {

class TestItem : public TXMLObject {
  CV_XML_CLASS(TestItem, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Name;
  std::string Value;
  std::int32_t Size = 0;
  bool Enabled = false;
  char Letter = 0;
  double Ratio = 0;
  TestShow Show = TestShow::scNormal;
  EnumSet<TestFlag> Flags;

  std::string GetEnumPrefix(std::string_view propName) const override {
    return propName == "show" ? "sc" : "";
  }
  // Items whose name starts with "_" are made by the program, never stored.
  bool CanSave(const TXMLTag&) const override { return Name.empty() || Name[0] != '_'; }
  // Elements marked skip="1" are not for this object.
  bool CanLoad(const TXMLTag& element) const override {
    for (const auto& line : element.Attributes) {
      if (line == "skip=1") return false;
    }
    return true;
  }
};

CV_XML_PROPERTIES(TestItem) {
  return {Published("Name", &TestItem::Name),     Published("Value", &TestItem::Value),
          Published("Size", &TestItem::Size),     Published("Enabled", &TestItem::Enabled),
          Published("Letter", &TestItem::Letter), Published("Ratio", &TestItem::Ratio),
          Published("Show", &TestItem::Show),     Published("Flags", &TestItem::Flags)};
}

class TestItems : public TXMLObjectList {
  CV_XML_CLASS(TestItems, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  std::string Kind;

  const XmlClass* GetItemClass(std::string_view elementName) const override {
    return elementName == "item" ? &TestItem::StaticClass() : nullptr;
  }
  std::string GetItemTagName(const XmlClass& itemClass) const override {
    return &itemClass == &TestItem::StaticClass() ? "item" : "";
  }
};

CV_XML_PROPERTIES(TestItems) { return {Published("Kind", &TestItems::Kind)}; }

class TestParams : public TXMLParamList {
  CV_XML_CLASS(TestParams, TXMLParamList)

 public:
  using TXMLParamList::TXMLParamList;
  const XmlClass& GetParamClass() const override { return TestItem::StaticClass(); }
  const XmlClass* GetItemClass(std::string_view elementName) const override {
    return elementName == "param" ? &TestItem::StaticClass() : nullptr;
  }
  std::string GetItemTagName(const XmlClass&) const override { return "param"; }
};

CV_XML_PROPERTIES(TestParams) { return {}; }

class TestRoot : public TXMLObject {
  CV_XML_CLASS(TestRoot, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Title;
  std::string Type;
  std::int32_t Count = 7;
  std::unique_ptr<TestItems> Items;
  std::unique_ptr<TestParams> Params;
  std::unique_ptr<TestItem> Main;
  std::unique_ptr<TXMLTag> Custom;

  std::string Shouted() const { return CaseMapUpperText(Title); }
  // Stored in tenths, published in whole units.
  std::int32_t Scale() const { return scaleTenths_ / 10; }
  void SetScale(std::int32_t scale) { scaleTenths_ = scale * 10; }
  std::int32_t ScaleTenths() const { return scaleTenths_; }

  // "paramtype" is the older name of the "type" attribute.
  std::string XMLToPropName(std::string_view name, bool isChild) const override {
    if (!isChild && name == "paramtype") return "type";
    if (isChild && name == "primary") return "main";
    return std::string(name);
  }
  std::string PropToXMLName(std::string_view name, bool isChild) const override {
    if (isChild && name == "main") return "primary";
    return std::string(name);
  }

 private:
  std::int32_t scaleTenths_ = 10;
  static std::string CaseMapUpperText(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
};

CV_XML_PROPERTIES(TestRoot) {
  return {Published("Title", &TestRoot::Title),
          Published("Type", &TestRoot::Type),
          Published("Count", &TestRoot::Count),
          Published("Items", &TestRoot::Items),
          Published("Params", &TestRoot::Params),
          Published("Main", &TestRoot::Main),
          Published("Custom", &TestRoot::Custom),
          Published("Shouted", &TestRoot::Shouted),
          Published("Scale", &TestRoot::Scale, &TestRoot::SetScale)};
}

std::unique_ptr<TestRoot> Load(std::string_view text) {
  auto root = TestRoot::New();
  TXMLTag tag;
  tag.Parse(text);
  root->Assign(tag);
  return root;
}

std::string Write(const TXMLObject& object, std::string_view name = "root") {
  TXMLTag tag;
  tag.SetName(name);
  object.AssignTo(tag);
  return tag.AsXML();
}

TEST(XmlBinding, SetsReadKnownElementsAndAreWrittenInOrdinalOrder) {
  auto item = TestItem::New();
  TXMLTag tag;
  tag.Parse("<item flags=\" shared , reg_server,unknown\"/>");
  item->Assign(tag);
  EXPECT_EQ(item->Flags, (EnumSet<TestFlag>{TestFlag::reg_server, TestFlag::shared}));
  EXPECT_EQ(Write(*item, "item"), "<item flags=\"reg_server,shared\"/>\r\n");
}

TEST(XmlBinding, BooleansAreOneOrNothing) {
  auto item = TestItem::New();
  item->SetPropText("Enabled", "true");
  EXPECT_FALSE(item->Enabled);
  item->SetPropText("Enabled", "1");
  EXPECT_TRUE(item->Enabled);
  EXPECT_EQ(Write(*item, "i"), "<i enabled=\"1\"/>\r\n");
  item->Enabled = false;
  EXPECT_EQ(Write(*item, "i"), "<i/>\r\n");
}

TEST(XmlBinding, EnumerationsAreReadWithTheirPrefixAddedAndWrittenWithoutIt) {
  auto item = TestItem::New();
  item->SetPropText("Show", "max");
  EXPECT_EQ(item->Show, TestShow::scMax);
  item->SetPropText("Show", "minimized");
  item->SetPropText("Show", "MAX");
  EXPECT_EQ(item->Show, TestShow::scMax);
  EXPECT_EQ(Write(*item, "i"), "<i show=\"max\"/>\r\n");
  // The prefix is added again: "scMax" is looked up as "scscMax".
  item->SetPropText("Show", "scMax");
  EXPECT_EQ(item->Show, TestShow::scNormal);
}

TEST(XmlBinding, InitialValuesAndEmptyStringsAreNotWritten) {
  auto root = TestRoot::New();
  EXPECT_EQ(Write(*root), "<root/>\r\n");
  root->Count = 0;  // differs from the initial 7
  root->Title = "  ";
  EXPECT_EQ(Write(*root), "<root count=\"0\" shouted=\"  \" title=\"  \"/>\r\n");
}

TEST(XmlBinding, AttributesFollowPropertyNamesInFoldedAlphabeticalOrder) {
  auto item = TestItem::New();
  item->Value = "v";
  item->Name = "n";
  item->Size = 3;
  item->Letter = 'q';
  item->Ratio = 2.5;
  EXPECT_EQ(Write(*item, "i"),
            "<i letter=\"q\" name=\"n\" ratio=\"2.5\" size=\"3\" value=\"v\"/>\r\n");
}

TEST(XmlBinding, NumbersAndCharactersReadLikeTheRunTimeReadsThem) {
  auto item = TestItem::New();
  item->SetPropText("Size", "$1F");
  EXPECT_EQ(item->Size, 31);
  item->SetPropText("Size", "12abc");
  EXPECT_EQ(item->Size, 0);
  item->SetPropText("Size", "-42");
  EXPECT_EQ(item->Size, -42);
  item->SetPropText("Size", "0x10");  // only "$" marks hexadecimal
  EXPECT_EQ(item->Size, 0);
  item->SetPropText("Size", "2147483648");  // out of range
  EXPECT_EQ(item->Size, 0);
  item->SetPropText("Size", "$FFFFFFFF");
  EXPECT_EQ(item->Size, -1);
  item->SetPropText("Ratio", "0.125");
  EXPECT_DOUBLE_EQ(item->Ratio, 0.125);
  item->SetPropText("Ratio", "1,5");
  EXPECT_DOUBLE_EQ(item->Ratio, 0);
  item->SetPropText("Ratio", "3");
  EXPECT_EQ(item->GetPropText("Ratio"), "3");
  // The shortest plain decimal text; round values never in exponent form.
  const std::pair<double, const char*> floats[] = {
      {100000, "100000"}, {1000000, "1000000"}, {1e15, "1000000000000000"},
      {9007199254740993.0, "9007199254740992"}, {-2.5e6, "-2500000"}, {0.1, "0.1"},
      {0.00001, "0.00001"}, {123456.75, "123456.75"}};
  for (const auto& [number, text] : floats) {
    item->Ratio = number;
    EXPECT_EQ(item->GetPropText("Ratio"), text) << number;
    item->SetPropText("Ratio", text);
    EXPECT_EQ(item->Ratio, number) << text;
  }
  item->SetPropText("Letter", "xyz");
  EXPECT_EQ(item->Letter, 'x');
  item->SetPropText("Letter", "");
  EXPECT_EQ(item->Letter, '\0');
}

TEST(XmlBinding, EmptyListsAreNotWrittenButOtherChildrenAre) {
  auto root = TestRoot::New();
  ASSERT_NE(root->Items, nullptr);  // lists exist from the start
  ASSERT_NE(root->Params, nullptr);
  EXPECT_EQ(root->Main, nullptr);  // other children only when loaded
  root->Main = TestItem::New(root.get());
  EXPECT_EQ(Write(*root), "<root>\r\n\t<primary/>\r\n</root>\r\n");
}

TEST(XmlBinding, LoadsAttributesChildrenListItemsAndTags) {
  auto root = Load(
      "<Root title='T' paramtype='x' unknown='1' count='9'>"
      "<items kind='k'><item name='a' size='1'/><other/><item name='b'/></items>"
      "<primary name='m' show='minimized'/>"
      "<custom anything='goes'><deep/></custom>"
      "<params><param name='p' value='1'/></params>"
      "<nothing/></Root>");
  EXPECT_EQ(root->Title, "T");
  EXPECT_EQ(root->Type, "x");
  EXPECT_EQ(root->Count, 9);
  EXPECT_EQ(root->Items->Kind, "k");
  ASSERT_EQ(root->Items->Count(), 2);
  EXPECT_EQ(root->Items->ItemAs<TestItem>(0)->Name, "a");
  EXPECT_EQ(root->Items->ItemAs<TestItem>(1)->Name, "b");
  EXPECT_EQ(root->Items->Items(0)->Owner, root->Items.get());
  EXPECT_EQ(root->Items->Owner, root.get());
  ASSERT_NE(root->Main, nullptr);
  EXPECT_EQ(root->Main->Show, TestShow::scMinimized);
  EXPECT_EQ(root->Main->Owner, root.get());
  ASSERT_NE(root->Custom, nullptr);
  EXPECT_EQ(root->Custom->Name(), "custom");
  EXPECT_EQ(root->Custom->Attributes, std::vector<std::string>{"anything=goes"});
  EXPECT_EQ(root->Params->Count(), 1);
}

TEST(XmlBinding, ElementPositionsAreCopiedIntoTheObjects) {
  auto root = Load("<root>\r\n  <items>\r\n    <item name='a'/></items></root>");
  EXPECT_EQ(root->Items->Line, 2);
  EXPECT_EQ(root->Items->Column, 3);
  EXPECT_EQ(root->Items->Items(0)->Line, 3);
  EXPECT_EQ(root->Items->Items(0)->Column, 5);
}

TEST(XmlBinding, ReadOnlyPropertiesAreWrittenButNeverRead) {
  auto root = Load("<root title='ab' shouted='zz'/>");
  EXPECT_EQ(root->Title, "ab");
  EXPECT_EQ(root->GetPropText("Shouted"), "AB");
  auto viaSetter = Load("<root scale='3'/>");
  EXPECT_EQ(viaSetter->ScaleTenths(), 30);
}

TEST(XmlBinding, ObjectsThatRefuseAnElementAreNotLoadedFromIt) {
  auto root =
      Load("<root><primary skip='1' name='m'/><items><item skip='1'/><item/></items></root>");
  EXPECT_EQ(root->Main, nullptr);
  EXPECT_EQ(root->Items->Count(), 1);
}

TEST(XmlBinding, AssignReplacesMergeAddsToWhatIsThere) {
  auto root = Load("<root title='first' type='t'><items><item name='a'/></items></root>");
  TXMLTag second;
  second.Parse("<root title='second'><items><item name='b'/></items></root>");
  root->Assign(second);
  EXPECT_EQ(root->Title, "second");
  EXPECT_EQ(root->Type, "");
  ASSERT_EQ(root->Items->Count(), 1);
  EXPECT_EQ(root->Items->ItemAs<TestItem>(0)->Name, "b");

  TXMLTag third;
  third.Parse("<root type='t3'><items><item name='c'/></items></root>");
  root->Merge(third);
  EXPECT_FALSE(root->Merging);
  EXPECT_EQ(root->Title, "second");
  EXPECT_EQ(root->Type, "t3");
  ASSERT_EQ(root->Items->Count(), 2);
  EXPECT_EQ(root->Items->ItemAs<TestItem>(1)->Name, "c");
}

TEST(XmlBinding, SecondElementForTheSameChildReplacesTheFirst) {
  auto root = Load("<root><primary name='one' size='5'/><primary name='two'/></root>");
  ASSERT_NE(root->Main, nullptr);
  EXPECT_EQ(root->Main->Name, "two");
  EXPECT_EQ(root->Main->Size, 0);
}

TEST(XmlBinding, CopyThroughXmlLeavesOutWhatMayNotBeSaved) {
  auto source = Load(
      "<root title='t'><items><item name='kept' size='2'/><item name='_made'/></items>"
      "<custom a='1'/></root>");
  auto copy = TestRoot::New();
  copy->Assign(*source);
  ASSERT_EQ(copy->Items->Count(), 1);
  EXPECT_EQ(copy->Items->ItemAs<TestItem>(0)->Name, "kept");
  EXPECT_EQ(Write(*copy), Write(*source));
}

TEST(XmlBinding, WrittenDocumentReadsBackToTheSameDocument) {
  const std::string text =
      "<root count='3' title='A &amp; B'><items kind='k'><item enabled='1' flags='dont_log,shared' "
      "letter='z' name='n' ratio='0.5' show='max' size='-7' value='v'/></items>"
      "<primary name='m'/><custom x='1'><y/></custom><params><param name='p' value='q'/></params>"
      "</root>";
  auto first = Load(text);
  const std::string written = Write(*first);
  auto second = Load(written);
  EXPECT_EQ(Write(*second), written);
  EXPECT_EQ(second->Items->ItemAs<TestItem>(0)->Flags,
            (EnumSet<TestFlag>{TestFlag::dont_log, TestFlag::shared}));
}

TEST(XmlBinding, ClearResetsEverySimplePropertyAndFreesChildren) {
  auto root = Load("<root title='t' count='9'><primary/><items><item/></items></root>");
  root->Reset();
  EXPECT_EQ(root->Title, "");
  EXPECT_EQ(root->Count, 0);  // cleared to zero, not to the initial value
  EXPECT_EQ(root->Main, nullptr);
  ASSERT_NE(root->Items, nullptr);
  EXPECT_EQ(root->Items->Count(), 0);
}

TEST(XmlObjectList, FindsItemsByIntegerAndStringProperties) {
  auto root = Load(
      "<root><items><item name='Alpha' size='10'/><item name='beta' size='20'/></items></root>");
  const TestItems& items = *root->Items;
  EXPECT_EQ(items.FindByProp("size", "20"), items.Items(1));
  EXPECT_EQ(items.FindByProp("size", "2O"), nullptr);
  EXPECT_EQ(items.FindByProp("NAME", "ALPHA"), items.Items(0));
  EXPECT_EQ(items.FindByProp("show", "normal"), nullptr);  // other kinds never match
  EXPECT_EQ(items.FindByProp("missing", "x"), nullptr);
}

TEST(XmlObjectList, AddRemoveAndDeleteKeepOwnership) {
  TestItems items;
  const int first = items.Add(TestItem::New());
  const int second = items.Add(TestItem::New());
  EXPECT_EQ(items.Items(first)->Owner, &items);
  TXMLObject* secondItem = items.Items(second);
  EXPECT_EQ(items.Remove(items.Items(first)), 0);
  EXPECT_EQ(items.IndexOf(secondItem), 0);
  TestItem stranger;
  EXPECT_EQ(items.Remove(&stranger), -1);
  items.Delete(5);  // out of range: nothing happens
  EXPECT_EQ(items.Count(), 1);
}

TEST(XmlParamList, SetParamUpdatesTheFirstMatchOrAppends) {
  auto params = TestParams::New();
  params->SetParam("Path", "a");
  params->SetParam("PATH", "b");
  params->SetParamInt("Count", -3);
  ASSERT_EQ(params->Count(), 2);
  EXPECT_EQ(params->ItemAs<TestItem>(0)->Name, "PATH");
  EXPECT_EQ(params->ItemAs<TestItem>(0)->Value, "b");
  EXPECT_EQ(params->ItemAs<TestItem>(1)->Value, "-3");
  EXPECT_EQ(params->FindParam("count"), params->Items(1));
  EXPECT_EQ(params->FindParam("none"), nullptr);
}

TEST(XmlBinding, LoadFromStringChecksTheRootName) {
  auto root = TestRoot::New();
  root->LoadFromString("<other title='x'/>", "root");
  EXPECT_EQ(root->Title, "");
  root->LoadFromString("<ROOT title='y'/>", "root");
  EXPECT_EQ(root->Title, "y");
  EXPECT_THROW(root->LoadFromString("<root title=x/>", "root"), TXMLParserError);
}

TEST(XmlBinding, PropertyDescriptionsAreSortedAndInherited) {
  std::vector<std::string> names;
  for (const XmlProperty* property : TestItems::StaticClass().Properties()) {
    names.emplace_back(property->Name);
  }
  EXPECT_EQ(names, std::vector<std::string>{"Kind"});
  EXPECT_TRUE(TestParams::StaticClass().InheritsFrom(TXMLObjectList::StaticClass()));
  EXPECT_FALSE(TestItem::StaticClass().InheritsFrom(TXMLObjectList::StaticClass()));
  EXPECT_EQ(TestItem::StaticClass().FindProperty("rAtIo")->Kind, PropKind::Float);
}

}  // namespace
}  // namespace cv

namespace cv {
namespace {

TEST(XmlBinding, DeepestDocumentTheReaderAcceptsBindsAndWritesBack) {
  // Features inside features, as deep as the reader allows: binding,
  // writing and freeing such a model must not exhaust the stack.
  std::string text;
  std::string closing;
  int depth = 1;
  text = "<product><features>";
  closing = "</features></product>";
  depth += 2;
  while (depth + 2 <= 1000) {
    text += "<feature id='f'><children>";
    closing = "</children></feature>" + closing;
    depth += 2;
  }
  text += closing;
  auto product = sample::Product::New();
  TXMLTag tag;
  tag.Parse(text);
  product->Assign(tag);
  TXMLTag written;
  written.SetName("product");
  product->AssignTo(written);
  auto copy = sample::Product::New();
  copy->Assign(written);
  EXPECT_EQ(copy->FeatureList->Count(), 1);
}

TEST(XmlBinding, SampleProductRoundTripsByteForByte) {
  const std::string text =
      "<product appname='Demo' build='$1F'><variables><variable name='P' value='v' "
      "paramtype='path'/></variables><components><component id='Main' drive='C' required='1'>"
      "<items><file src='a' size='12.5' flags='shared,reg_server'/></items></component>"
      "</components><features><feature id='F1' selected='0'><custom x='1'/></feature></features>"
      "</product>";
  auto first = sample::Product::New();
  first->LoadFromString(text, "product");
  EXPECT_EQ(first->Build, 31);
  TXMLTag one;
  one.SetName("product");
  first->AssignTo(one);
  auto second = sample::Product::New();
  second->Assign(one);
  TXMLTag two;
  two.SetName("product");
  second->AssignTo(two);
  EXPECT_EQ(two.AsXML(), one.AsXML());
  EXPECT_EQ(one.AsXML(),
            "<product appname=\"Demo\" build=\"31\">\r\n"
            "\t<components>\r\n"
            "\t\t<component drive=\"C\" id=\"Main\" required=\"1\">\r\n"
            "\t\t\t<items>\r\n"
            "\t\t\t\t<file flags=\"reg_server,shared\" size=\"12.5\" src=\"a\"/>\r\n"
            "\t\t\t</items>\r\n"
            "\t\t</component>\r\n"
            "\t</components>\r\n"
            "\t<features>\r\n"
            "\t\t<feature id=\"F1\">\r\n"
            "\t\t\t<custom x=\"1\"/>\r\n"
            "\t\t</feature>\r\n"
            "\t</features>\r\n"
            "\t<variables>\r\n"
            "\t\t<variable name=\"P\" type=\"path\" value=\"v\"/>\r\n"
            "\t</variables>\r\n"
            "</product>\r\n");
}

}  // namespace
}  // namespace cv
