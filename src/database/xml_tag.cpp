#include "database/xml_tag.h"

#include <utility>

#include "platform/case_map.h"

namespace cv {

int TXMLTagList::Add(std::unique_ptr<TXMLTag> tag) {
  tag->parent_ = owner_;
  items_.push_back(std::move(tag));
  return Count() - 1;
}

void TXMLTagList::TakeAll(TXMLTagList& other) {
  for (auto& tag : other.items_) Add(std::move(tag));
  other.items_.clear();
}

void TXMLTagList::Clear() {
  // Destroying a tag would destroy its children in turn, one stack frame per
  // level; a parsed or assembled tree can be deeper than the stack allows.
  // Each tag is therefore emptied of its children before it dies.
  std::vector<std::unique_ptr<TXMLTag>> pending = std::move(items_);
  items_.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXMLTag> tag = std::move(pending.back());
    pending.pop_back();
    for (auto& child : tag->children_.items_) pending.push_back(std::move(child));
    tag->children_.items_.clear();
  }
}

void TXMLTag::SetName(std::string_view value) {
  name_ = LowerAscii(value);
}

void TXMLTag::Clear() {
  name_.clear();
  Text.clear();
  Attributes.clear();
  children_.Clear();
  Kind = XmlKind::xkElement;
}

void TXMLTag::Assign(const TXMLTag& source) {
  // The copy is built apart first: `source` may lie inside this tag, which
  // Clear is about to free. It is built level by level, without recursion.
  // Text and comment nodes are copied as they are: a plug-in's configuration
  // subtree must survive being held, saved for a resume and reloaded.
  TXMLTag copy;
  copy.Kind = source.Kind;
  copy.Text = source.Text;
  copy.name_ = source.name_;
  copy.Attributes = source.Attributes;
  std::vector<std::pair<const TXMLTag*, TXMLTag*>> pending{{&source, &copy}};
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    for (const auto& child : from->children_) {
      auto childCopy = std::make_unique<TXMLTag>();
      childCopy->Kind = child->Kind;
      childCopy->Text = child->Text;
      childCopy->name_ = child->name_;
      childCopy->Attributes = child->Attributes;
      TXMLTag* target = childCopy.get();
      to->children_.Add(std::move(childCopy));
      pending.emplace_back(child.get(), target);
    }
  }

  Clear();
  Kind = copy.Kind;
  Text = std::move(copy.Text);
  name_ = std::move(copy.name_);
  Attributes = std::move(copy.Attributes);
  children_.TakeAll(copy.children_);
}

std::string_view XmlAttributeName(std::string_view line) { return line.substr(0, line.find('=')); }

std::string_view XmlAttributeValue(std::string_view line) {
  const std::size_t equals = line.find('=');
  return equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1);
}

}  // namespace cv
