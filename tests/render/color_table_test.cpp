// Colour table: the RGBA colour value, the colour list and the 42-colour palette singleton.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <type_traits>

#include "render/UlCColorTable_Static.h"

namespace {

using Colour = osg::Color4<unsigned char>;

// The four channels as a string "(r, g, b, a)", for readable failures.
std::string channels(const Colour& c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%u, %u, %u, %u)", unsigned{c[0]}, unsigned{c[1]},
                unsigned{c[2]}, unsigned{c[3]});
  return text;
}

TEST(Color4, ConstructionCopyAndChannelOrder) {
  static_assert(sizeof(Colour) == 4);
  static_assert(std::is_standard_layout_v<Colour>);
  static_assert(!std::is_polymorphic_v<Colour>);

  EXPECT_EQ(channels(Colour()), "(0, 0, 0, 0)");
  Colour c(1, 2, 3, 4);
  EXPECT_EQ(channels(c), "(1, 2, 3, 4)");
  // The bytes are red, green, blue, alpha in that order, as glColor4ubv reads them.
  const unsigned char* bytes = c.ptr();
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(&c[0], bytes);

  Colour copy(c);
  c[2] = 200;  // the copy is independent
  EXPECT_EQ(channels(copy), "(1, 2, 3, 4)");
  EXPECT_EQ(channels(c), "(1, 2, 200, 4)");

  Colour assigned;
  assigned = c;
  EXPECT_EQ(channels(assigned), "(1, 2, 200, 4)");
  Colour& alias = assigned;
  assigned = alias;  // self-assignment
  EXPECT_EQ(channels(assigned), "(1, 2, 200, 4)");
}

TEST(ColourList, AddsInOrderAndClears) {
  UlCColorTable<unsigned char> list;
  EXPECT_TRUE(list.m_Colors.empty());
  list.add_Color(10, 20, 30, 40);
  list.add_Color(Colour(50, 60, 70, 80));
  ASSERT_EQ(list.m_Colors.size(), 2u);
  EXPECT_EQ(channels(list.m_Colors[0]), "(10, 20, 30, 40)");
  EXPECT_EQ(channels(list.m_Colors[1]), "(50, 60, 70, 80)");
  list.Clear();
  EXPECT_TRUE(list.m_Colors.empty());
}

TEST(Palette, LookupWrapsOnTheUnsignedIndex) {
  UlCColorTable_Static& table = *UlCColorTable_Static::Instance();
  struct Case {
    unsigned int index;
    const char* expected;
  };
  const Case cases[] = {
      {0, "(233, 244, 123, 255)"},         {1, "(255, 127, 124, 255)"},
      {16, "(255, 0, 255, 255)"},          {29, "(79, 79, 79, 255)"},
      {41, "(119, 136, 153, 255)"},        {42, "(233, 244, 123, 255)"},
      {100, "(255, 0, 255, 255)"},         {4294967295u, "(247, 188, 91, 255)"},
  };
  for (const Case& c : cases) EXPECT_EQ(channels(table.get_Color(c.index)), c.expected) << c.index;
  // Every entry is opaque, and 42 apart is the same colour.
  for (unsigned int k = 0; k < 42; ++k) {
    EXPECT_EQ(table.get_Color(k)[3], 255) << k;
    EXPECT_TRUE(table.get_Color(k) == table.get_Color(k + 42)) << k;
  }
}

TEST(Palette, OneInstanceFilledOnce) {
  UlCColorTable_Static* first = UlCColorTable_Static::Instance();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(UlCColorTable_Static::Instance(), first);
  EXPECT_EQ(UlCColorTable_Static::InstancePtr(), first);
  // Instance() hands out the stored pointer itself.
  EXPECT_EQ(&UlCColorTable_Static::Instance(), &UlCColorTable_Static::Instance());
  EXPECT_EQ(first->m_Colors.size(), 42u);
}

TEST(Palette, EmptiedTableGivesNoColourInsteadOfDividingByZero) {
  UlCColorTable_Static table;  // a table of its own: the process-wide one stays whole
  ASSERT_EQ(table.m_Colors.size(), 42u);
  table.Clear();
  for (unsigned int index : {0u, 1u, 42u, 4294967295u})
    EXPECT_EQ(channels(table.get_Color(index)), "(0, 0, 0, 0)") << index;
  table.add_Color(9, 8, 7, 6);  // a table of one colour gives it for every index
  EXPECT_EQ(channels(table.get_Color(4294967295u)), "(9, 8, 7, 6)");
  EXPECT_EQ(UlCColorTable_Static::Instance()->m_Colors.size(), 42u);
}

TEST(Palette, DestroysThroughTheBaseClass) {
  UlCColorTable<unsigned char>* table = new UlCColorTable_Static();
  EXPECT_EQ(table->m_Colors.size(), 42u);
  delete table;  // the virtual destructor; sanitizers would flag a mismatch or a leak
}

}  // namespace
