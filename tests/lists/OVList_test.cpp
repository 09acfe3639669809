#include "lists/OVList.h"

#include <gtest/gtest.h>

namespace {

// An item that counts its own destruction, to see what a list frees and when.
struct Probe : TObject {
  explicit Probe(std::vector<int>* log, int id) : log_(log), id_(id) {}
  ~Probe() override { log_->push_back(id_); }
  std::vector<int>* log_;
  int id_;
};

TEST(ObjectList, ClearFreesFromTheLastIndexDown) {
  std::vector<int> freed;
  TObjectList list;
  for (int i = 0; i < 3; ++i) list.Add(new Probe(&freed, i));
  list.Clear();
  EXPECT_EQ(freed, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(ObjectList, DeleteFreesTheItemAndMovesTheRestDown) {
  std::vector<int> freed;
  TObjectList list;
  list.Add(new Probe(&freed, 10));
  TObject* second = new Probe(&freed, 11);
  list.Add(second);
  list.Delete(0);
  EXPECT_EQ(freed, (std::vector<int>{10}));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0), second);
}

TEST(ObjectList, RemoveTakesTheFirstOccurrence) {
  std::vector<int> freed;
  TObjectList list;
  TObject* a = new Probe(&freed, 1);
  list.Add(a);
  list.Add(new Probe(&freed, 2));
  list.Remove(a);
  EXPECT_EQ(freed, (std::vector<int>{1}));
  EXPECT_EQ(list.Count(), 1);
}

TEST(ObjectList, IndexErrorsChangeNothing) {
  std::vector<int> freed;
  TObjectList list;
  list.Add(new Probe(&freed, 1));
  EXPECT_THROW(list.Items(1), EListError);
  EXPECT_THROW(list.Items(-1), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(freed.empty());
}

TEST(ObjectList, DestroyingNestedListsFreesEveryValue) {
  std::vector<int> freed;
  {
    TObjectList outer;
    for (int k = 0; k < 3; ++k) {
      auto* inner = new TObjectList;
      for (int i = 0; i < 4; ++i) inner->Add(new Probe(&freed, k * 10 + i));
      outer.Add(inner);
    }
  }
  EXPECT_EQ(freed.size(), 12u);
}

TEST(SingleList, KeepsValuesExactlyAcrossPages) {
  TSingleList list;
  const int n = 3 * TSingleList::kPageSize + 7;
  for (int i = 0; i < n; ++i) list.Add(static_cast<float>(i) * 0.5f);
  ASSERT_EQ(list.Count(), n);
  for (int i : {0, 1, TSingleList::kPageSize - 1, TSingleList::kPageSize, n - 1})
    EXPECT_EQ(list.Items(i).Value, static_cast<float>(i) * 0.5f) << i;
  EXPECT_GE(list.Capacity(), n);
  EXPECT_LT(list.Capacity(), n + TSingleList::kPageSize);
}

TEST(SingleList, ReservedRoomIsNotGrownByTheFirstThousand) {
  TSingleList list;
  list.SetCapacity(1000);
  int reserved = list.Capacity();
  EXPECT_GE(reserved, 1000);
  for (int i = 0; i < 1000; ++i) list.Add(1.0f);
  EXPECT_EQ(list.Capacity(), reserved);
}

TEST(SingleList, DeleteShiftsAcrossPageBoundaries) {
  TSingleList list;
  const int n = TSingleList::kPageSize + 3;
  for (int i = 0; i < n; ++i) list.Add(static_cast<float>(i));
  list.Delete(5);
  ASSERT_EQ(list.Count(), n - 1);
  EXPECT_EQ(list.Value(4), 4.0f);
  EXPECT_EQ(list.Value(5), 6.0f);
  EXPECT_EQ(list.Value(TSingleList::kPageSize - 1), static_cast<float>(TSingleList::kPageSize));
  EXPECT_EQ(list.Value(n - 2), static_cast<float>(n - 1));
}

TEST(SingleList, IndexErrorsAndClear) {
  TSingleList list;
  list.Add(2.5f);
  EXPECT_THROW(list.Items(1), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_THROW(list.Items(0), EListError);
}

}  // namespace
