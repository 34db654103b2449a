#include "clsArrayList.h"

#include <limits>

namespace {
constexpr int64_t kMaxCount = std::numeric_limits<int32_t>::max();
}

clsArrayList::clsArrayList() = default;

bool clsArrayList::inRange(int64_t index) const {
    return index >= 0 && index < std::max<int64_t>(count_, 1);
}

QString clsArrayList::Value(int32_t Index) const {
    if (!inRange(Index))
        return {};
    return count_ == 0 ? spare_ : items_.at(Index);
}

bool clsArrayList::setValue(int32_t Index, const QString& ArrayItem) {
    if (!inRange(Index))
        return false;
    if (count_ == 0)
        spare_ = ArrayItem;
    else
        items_[Index] = ArrayItem;
    return true;
}

bool clsArrayList::Add(const QString& addValue) {
    if (count_ == kMaxCount)
        return false;
    items_.append(addValue);
    ++count_;
    spare_.clear();
    return true;
}

bool clsArrayList::Insert(const QString& value, int32_t index) {
    if (index < 0 || count_ == kMaxCount)
        return false;
    if (index >= count_)
        items_.append(value);
    else
        items_.insert(index, value);
    ++count_;
    spare_.clear();
    return true;
}

bool clsArrayList::Delete(int32_t delIndex) {
    if (delIndex < 0)
        return false;
    if (delIndex > count_ - 1)
        return true;
    items_.removeAt(delIndex);
    --count_;
    return true;
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

bool clsArrayList::Swap(int16_t a, int16_t b) {
    if (!inRange(a) || !inRange(b))
        return false;
    if (count_ > 0)  // else only the spare element exists: swapping it changes nothing
        items_.swapItemsAt(a, b);
    return true;
}

bool clsArrayList::ExistValue(const QString& value) const {
    return items_.contains(value, Qt::CaseSensitive);
}

bool clsArrayList::assign(QStringList values) {
    if (values.size() > kMaxCount)
        return false;
    items_ = std::move(values);
    count_ = static_cast<int32_t>(items_.size());
    spare_.clear();
    return true;
}

bool clsArrayList::append(const QStringList& values) {
    if (items_.size() + values.size() > kMaxCount)
        return false;
    items_.append(values);
    count_ = static_cast<int32_t>(items_.size());
    if (count_ > 0)
        spare_.clear();
    return true;
}
