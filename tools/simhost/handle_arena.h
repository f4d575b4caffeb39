// Stable storage for the records behind SDK handles.
//
// A plugin keeps the handles it was given for as long as it runs and may pass
// a stale or foreign one back, so records are never freed or moved: a handle
// is the address of its record, and Find() recognises only addresses this
// arena handed out, without ever dereferencing an unknown pointer.
#pragma once

#include <deque>
#include <unordered_set>

namespace simhost::detail {

template <typename Record>
class HandleArena {
  public:
    Record& Add() {
        records_.emplace_back();
        Record& record = records_.back();
        known_.insert(&record);
        return record;
    }

    // The record behind a handle, or nullptr for null or unknown handles.
    Record* Find(const void* handle) {
        if (handle == nullptr || known_.count(handle) == 0) return nullptr;
        return static_cast<Record*>(const_cast<void*>(handle));
    }

    // Every record ever added, in creation order (std::deque keeps addresses
    // stable when records are appended while a caller iterates by index).
    std::deque<Record>& Records() { return records_; }

  private:
    std::deque<Record> records_;
    std::unordered_set<const void*> known_;
};

}  // namespace simhost::detail
