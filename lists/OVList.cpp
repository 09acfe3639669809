#include "OVList.h"

#include <algorithm>
#include <string>

TObjectList::~TObjectList() { Clear(); }

void TObjectList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TObjectList::SetCapacity(int capacity) {
  if (capacity > Capacity()) items_.reserve(static_cast<size_t>(capacity));
}

int TObjectList::Add(TObject* item) {
  std::unique_ptr<TObject> owned(item);  // freed if the append throws
  items_.push_back(item);
  owned.release();
  return Count() - 1;
}

TObject* TObjectList::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TObjectList::Delete(int index) { Remove(Items(index)); }

void TObjectList::Remove(TObject* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  delete item;
}

void TObjectList::Clear() {
  while (!items_.empty()) {
    TObject* last = items_.back();
    items_.pop_back();
    delete last;
  }
  std::vector<TObject*>().swap(items_);
}

void TSingleList::CheckIndex(int index) const {
  if (index < 0 || index >= count_)
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TSingleList::SetCapacity(int capacity) {
  while (Capacity() < capacity) pages_.emplace_back(new float[kPageSize]);
}

int TSingleList::Add(float value) {
  if (count_ == Capacity()) pages_.emplace_back(new float[kPageSize]);
  pages_[count_ >> kPageBits][count_ & (kPageSize - 1)] = value;
  return count_++;
}

TSingle TSingleList::Items(int index) const {
  CheckIndex(index);
  return TSingle{At(index)};
}

void TSingleList::Delete(int index) {
  CheckIndex(index);
  for (int i = index; i + 1 < count_; ++i)
    pages_[i >> kPageBits][i & (kPageSize - 1)] = At(i + 1);
  --count_;
}

void TSingleList::Clear() {
  pages_.clear();
  pages_.shrink_to_fit();
  count_ = 0;
}
