#pragma once
// Enumerations and sets of enumerations as published properties: each
// enumeration type declares its value names once, with CV_XML_ENUM, and the
// binding reads and writes them as text.

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace cv {

// The value names of an enumeration type, in ordinal order.
template <typename E>
struct XmlEnumNames;  // specialised by CV_XML_ENUM

template <typename E>
concept XmlEnum = std::is_enum_v<E> && requires {
  XmlEnumNames<E>::Names();
};

// Declares the value names of enumeration `Type` (at namespace cv scope).
#define CV_XML_ENUM(Type, ...)                                    \
  template <>                                                     \
  struct XmlEnumNames<Type> {                                     \
    static std::span<const std::string_view> Names() {            \
      static constexpr std::string_view kNames[] = {__VA_ARGS__}; \
      return kNames;                                              \
    }                                                             \
  }

// A set of values of enumeration E with at most 32 elements, stored as a bit
// mask by ordinal.
template <XmlEnum E>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> values) {
    for (E value : values) Include(value);
  }
  static constexpr EnumSet FromMask(std::uint32_t mask) {
    EnumSet set;
    set.mask_ = mask;
    return set;
  }

  constexpr bool Contains(E value) const { return (mask_ & Bit(value)) != 0; }
  constexpr void Include(E value) { mask_ |= Bit(value); }
  constexpr void Exclude(E value) { mask_ &= ~Bit(value); }
  constexpr std::uint32_t Mask() const { return mask_; }
  constexpr bool Empty() const { return mask_ == 0; }
  friend constexpr bool operator==(EnumSet, EnumSet) = default;

 private:
  static constexpr std::uint32_t Bit(E value) {
    const auto ordinal = static_cast<std::uint32_t>(value);
    return ordinal < 32 ? (1u << ordinal) : 0u;
  }
  std::uint32_t mask_ = 0;
};

}  // namespace cv
