#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// The program's one list of strings: every list of the player (playlist, history, reserve
// queue, favorite lists, folder view, ignore words …) is one of these. Zero-based.
//
// Out-of-range reads and writes throw std::out_of_range and leave the list as it was, except
// that index 0 of an empty list is a readable, writable spare element that Count does not
// count (routines that look at row 0 of a list that may be empty rely on reading it as "").
class clsArrayList {
public:
    clsArrayList();

    int32_t Count() const { return count_; }

    QString Value(int32_t Index) const;
    void setValue(int32_t Index, const QString& ArrayItem);

    void Add(const QString& addValue);
    // Inserts before `index`; an index at or past the end appends. A negative index is refused
    // (std::out_of_range) before anything moves.
    void Insert(const QString& value, int32_t index);
    // An index past the end does nothing; a negative one is refused before anything moves.
    void Delete(int32_t delIndex);
    // Empties `list`, then copies every entry into it. Cloning a list into itself empties it.
    void Clone(clsArrayList& list) const;
    void Clear();
    void Swap(int16_t a, int16_t b);
    bool ExistValue(const QString& value) const;

    // Bulk access for routines that fill or show whole lists at once.
    const QStringList& items() const { return items_; }
    void assign(QStringList values);
    void append(const QStringList& values);

private:
    void checkIndex(int64_t index) const;

    QStringList items_;  // exactly Count entries
    QString spare_;      // element 0 while the list is empty
    int32_t count_ = 0;
};
