// OVList: owning object lists and the list of 32-bit floats that traces are made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// Root of everything a TObjectList can own; items are freed through this destructor.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// Raised for an index outside 0 .. Count-1; the list is left unchanged.
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// An ordered list that owns its items.
class TObjectList : public TObject {
 public:
  TObjectList() = default;
  ~TObjectList() override;

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);

  // Appends item and takes ownership of it; returns its index.
  int Add(TObject* item);
  TObject* Items(int index) const;
  // Takes the item at index out of the list and frees it.
  void Delete(int index);
  // Takes the first occurrence of item out of the list and frees it.
  void Remove(TObject* item);
  // Frees every item from the last index down, then empties the list (capacity 0).
  void Clear();

 private:
  void CheckIndex(int index) const;
  std::vector<TObject*> items_;
};

// One 32-bit value; TSingleList stores these by value, not one heap object each.
struct TSingle {
  float Value;
};

// A list of 32-bit floats, stored in fixed pages so that appending never moves
// earlier values and a trace of millions of points costs about four bytes a value.
class TSingleList : public TObject {
 public:
  static constexpr int kPageBits = 10;
  static constexpr int kPageSize = 1 << kPageBits;

  TSingleList() = default;
  ~TSingleList() override = default;

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(pages_.size()) * kPageSize; }
  // Reserves room for at least capacity values (never shrinks).
  void SetCapacity(int capacity);

  int Add(float value);
  TSingle Items(int index) const;
  float Value(int index) const { return Items(index).Value; }
  // Unchecked access for hot loops that have already checked their range.
  float At(int index) const { return pages_[index >> kPageBits][index & (kPageSize - 1)]; }
  void Delete(int index);
  void Clear();

 private:
  void CheckIndex(int index) const;
  std::vector<std::unique_ptr<float[]>> pages_;
  int count_ = 0;
};
