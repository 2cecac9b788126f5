// The flat set behind bags and covers against std::set: same members in the
// same order after any mix of operations, inside the object and on the heap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "kivra/FlatSet.h"

namespace {

using Flat = kivra::FlatSet<int*, 4>;

int Pool[64];

void expectSame(const Flat& Mine, const std::set<int*>& Theirs) {
  ASSERT_EQ(std::vector<int*>(Mine.begin(), Mine.end()), std::vector<int*>(Theirs.begin(), Theirs.end()));
}

TEST(FlatSet, RandomOperationsKeepStdSetOrder) {
  std::srand(5);
  Flat Mine;
  std::set<int*> Theirs;
  for (int iStep = 0; iStep < 4000; ++iStep) {
    int* Value = &Pool[std::rand() % 64];
    switch (std::rand() % 6) {
      case 0:
      case 1: {
        auto [It, bNew] = Mine.insert(Value);
        ASSERT_EQ(bNew, Theirs.insert(Value).second);
        ASSERT_EQ(*It, Value);
        break;
      }
      case 2:
        ASSERT_EQ(*Mine.insert(Mine.end(), Value), Value);
        Theirs.insert(Value);
        break;
      case 3:
        ASSERT_EQ(Mine.erase(Value), Theirs.erase(Value));
        break;
      case 4: {  // through a copy, a move and a swap with a small set
        Flat Copy(Mine), Small{&Pool[1]};
        Flat Moved(std::move(Copy));
        Moved.swap(Small);
        Mine.swap(Small);
        ASSERT_EQ(Small, Mine);
        break;
      }
      default:
        if (std::rand() % 8 == 0) {
          Mine.clear();
          Theirs.clear();
        }
    }
    expectSame(Mine, Theirs);
    ASSERT_EQ(Mine.count(Value), Theirs.count(Value));
    ASSERT_EQ(Mine.lower_bound(Value) - Mine.begin(), std::distance(Theirs.begin(), Theirs.lower_bound(Value)));
  }
}

TEST(FlatSet, RangeInsertIgnoresDuplicates) {
  for (int iSize : {3, 9, 40}) {  // one by one, and appended and merged
    std::srand(static_cast<unsigned>(iSize));
    Flat Mine{&Pool[10], &Pool[20], &Pool[30], &Pool[40], &Pool[50]};
    std::set<int*> Theirs(Mine.begin(), Mine.end());
    std::vector<int*> Range;
    for (int i = 0; i < iSize; ++i) Range.push_back(&Pool[std::rand() % 64]);
    Range.push_back(&Pool[20]);
    Range.push_back(Range.front());
    Mine.insert(Range.begin(), Range.end());
    Theirs.insert(Range.begin(), Range.end());
    expectSame(Mine, Theirs);
    Mine.insert(Mine.begin(), Mine.end());  // its own members
    expectSame(Mine, Theirs);
  }
}

TEST(FlatSet, EraseWhileIteratingReturnsTheNextMember) {
  Flat Mine;
  for (int i = 0; i < 64; i += 3) Mine.insert(&Pool[i]);
  std::set<int*> Theirs(Mine.begin(), Mine.end());
  std::vector<int*> Seen;
  for (auto It = Mine.begin(); It != Mine.end();) {
    Seen.push_back(*It);
    It = (*It - Pool) % 2 == 0 ? Mine.erase(It) : std::next(It);
  }
  EXPECT_EQ(Seen, std::vector<int*>(Theirs.begin(), Theirs.end()));
  std::erase_if(Theirs, [](int* P) { return (P - Pool) % 2 == 0; });
  expectSame(Mine, Theirs);
}

}  // namespace
