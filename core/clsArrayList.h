#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// The program's one list of strings: every list of the player (playlist, history, reserve
// queue, favorite lists, folder view, ignore words …) is one of these. Zero-based. UI thread,
// or any one thread that owns the list.
//
// Nothing throws: the lists are read and changed from slots, where an exception would end the
// program. An out-of-range read gives "", an out-of-range change returns false and leaves the
// list as it was, except that index 0 of an empty list is a readable, writable spare element
// that Count does not count (routines that look at row 0 of a list that may be empty rely on
// reading it as "").
class clsArrayList {
public:
    clsArrayList();

    int32_t Count() const { return count_; }

    QString Value(int32_t Index) const;
    bool setValue(int32_t Index, const QString& ArrayItem);

    // False only when the list holds as many entries as an int32_t counts.
    bool Add(const QString& addValue);
    // Inserts before `index`; an index at or past the end appends. A negative index is refused
    // before anything moves.
    bool Insert(const QString& value, int32_t index);
    // An index past the end does nothing; a negative one is refused before anything moves.
    bool Delete(int32_t delIndex);
    // Empties `list`, then copies every entry into it. Cloning a list into itself empties it.
    void Clone(clsArrayList& list) const;
    void Clear();
    bool Swap(int16_t a, int16_t b);
    bool ExistValue(const QString& value) const;

    // Bulk access for routines that fill or show whole lists at once; more entries than an
    // int32_t counts are refused (false, the list unchanged).
    const QStringList& items() const { return items_; }
    bool assign(QStringList values);
    bool append(const QStringList& values);

private:
    bool inRange(int64_t index) const;

    QStringList items_;  // exactly Count entries
    QString spare_;      // element 0 while the list is empty
    int32_t count_ = 0;
};
