#include "util/general.h"

#include <gtest/gtest.h>

using namespace marvane;

TEST(Remove, EveryOccurrenceGoesEvenThoseFormedByJoining) {
  const char* rows[][3] = {{":", "12:5", "125"}, {":", "::", ""}, {"ab", "aabb", ""}, {"aa", "aaa", "a"},
                           {"A", "abc", "abc"}, {"", "abc", "abc"}, {"x", "", ""}};
  for (const auto& r : rows) EXPECT_EQ(Remove(r[0], r[1]), r[2]) << r[0] << " from " << r[1];
  EXPECT_EQ(Remove(u"x", std::nullopt), u"");
}
