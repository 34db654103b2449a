#include "clsArrayList.h"

#include <limits>
#include <stdexcept>

clsArrayList::clsArrayList() = default;

void clsArrayList::checkIndex(int64_t index) const {
    if (index < 0 || index >= std::max<int64_t>(count_, 1))
        throw std::out_of_range("clsArrayList: subscript out of range");
}

QString clsArrayList::Value(int32_t Index) const {
    checkIndex(Index);
    return count_ == 0 ? spare_ : items_.at(Index);
}

void clsArrayList::setValue(int32_t Index, const QString& ArrayItem) {
    checkIndex(Index);
    if (count_ == 0)
        spare_ = ArrayItem;
    else
        items_[Index] = ArrayItem;
}

void clsArrayList::Add(const QString& addValue) {
    if (count_ == std::numeric_limits<int32_t>::max())
        throw std::overflow_error("clsArrayList: too many entries");
    items_.append(addValue);
    ++count_;
    spare_.clear();
}

void clsArrayList::Insert(const QString& value, int32_t index) {
    if (index < 0)
        throw std::out_of_range("clsArrayList: negative index");
    if (count_ == std::numeric_limits<int32_t>::max())
        throw std::overflow_error("clsArrayList: too many entries");
    if (index >= count_)
        items_.append(value);
    else
        items_.insert(index, value);
    ++count_;
    spare_.clear();
}

void clsArrayList::Delete(int32_t delIndex) {
    if (delIndex < 0)
        throw std::out_of_range("clsArrayList: negative index");
    if (delIndex > count_ - 1)
        return;
    items_.removeAt(delIndex);
    --count_;
}

void clsArrayList::Clone(clsArrayList& list) const {
    if (&list == this) {
        list.Clear();
        return;
    }
    list.Clear();
    list.items_ = items_;
    list.count_ = count_;
}

void clsArrayList::Clear() {
    items_.clear();
    spare_.clear();
    count_ = 0;
}

void clsArrayList::Swap(int16_t a, int16_t b) {
    checkIndex(a);
    checkIndex(b);
    if (count_ == 0)
        return;  // only the spare element exists: swapping it with itself changes nothing
    items_.swapItemsAt(a, b);
}

bool clsArrayList::ExistValue(const QString& value) const {
    return items_.contains(value, Qt::CaseSensitive);
}

void clsArrayList::assign(QStringList values) {
    if (values.size() > std::numeric_limits<int32_t>::max())
        throw std::overflow_error("clsArrayList: too many entries");
    items_ = std::move(values);
    count_ = static_cast<int32_t>(items_.size());
    spare_.clear();
}

void clsArrayList::append(const QStringList& values) {
    if (items_.size() + values.size() > std::numeric_limits<int32_t>::max())
        throw std::overflow_error("clsArrayList: too many entries");
    items_.append(values);
    count_ = static_cast<int32_t>(items_.size());
    if (count_ > 0)
        spare_.clear();
}
