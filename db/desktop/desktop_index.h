#pragma once
// An in-memory index of one table over a list of fields: the fields' stored
// bytes, one after another, lead to the numbers of the records that hold
// them, in ascending order. Locate builds one per list of fields on first use;
// the table keeps it in step with every append, edit and delete, so locating
// stays a hash look-up however often rows are added or removed.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace rubso {

class DesktopKeyIndex {
  public:
    // One field of the key: where it lies in a record, and how its stored
    // bytes are made comparable with the bytes a value encodes to.
    struct Part {
        int offset;
        int size;
        enum class Form {
            Bytes,   // compared as stored
            Text,    // bytes after the first zero byte count as zeros
            Double,  // -0.0 counts as 0.0
        } form;
    };

    // `parts` in key order.
    explicit DesktopKeyIndex(std::vector<Part> parts);

    // The key of a stored record: the bytes the Locate values that find this
    // record encode to, one field after another.
    std::string KeyOf(const char* record) const;

    // The lowest record number holding `key`.
    std::optional<int> First(const std::string& key) const;

    void Add(int recno, const char* record);
    void Update(int recno, const char* oldRecord, const char* newRecord);
    // Removes record `recno`; the numbers of all later records drop by one,
    // as they do in the table.
    void Erase(int recno, const char* record);

  private:
    void Remove(int recno, const std::string& key);

    std::vector<Part> parts_;
    std::unordered_map<std::string, std::vector<int>> rows_;
};

}  // namespace rubso
