#include "storyboard/dated_output.h"

#include <cstring>

namespace storyboard {

namespace {
// The dates of the document information; newer writers (Qt 6.8) add the second.
const QByteArray kStamps[] = {QByteArrayLiteral("/CreationDate (D:"), QByteArrayLiteral("/ModDate (D:")};
const QByteArray kEndOfObject("endobj");
// The document information comes first; a stamp not within this many bytes is not coming.
constexpr qsizetype kLongestHead = 64 * 1024;
}  // namespace

DatedOutput::DatedOutput(QIODevice* target, QByteArray stamp) : target_(target), stamp_(std::move(stamp)) {}

bool DatedOutput::Release() {
    passing_ = true;
    const bool ok = head_.isEmpty() || target_->write(head_) == head_.size();
    head_.clear();
    head_.squeeze();
    return ok;
}

qint64 DatedOutput::writeData(const char* data, qint64 length) {
    if (passing_) return target_->write(data, length);
    head_.append(data, length);
    // Held back until the whole information dictionary that holds the dates has come.
    const qsizetype at = head_.indexOf(kStamps[0]);
    const qsizetype end = at < 0 ? -1 : head_.indexOf(kEndOfObject, at);
    if (end >= 0) {
        for (const QByteArray& s : kStamps) {
            const qsizetype i = head_.indexOf(s);
            if (i >= 0 && i + s.size() + stamp_.size() <= end)
                std::memcpy(head_.data() + i + s.size(), stamp_.constData(), static_cast<size_t>(stamp_.size()));
        }
        if (!Release()) return -1;
    } else if (head_.size() > kLongestHead && !Release()) {
        return -1;
    }
    return length;
}

void DatedOutput::close() {
    if (!passing_) Release();
    QIODevice::close();
}

}  // namespace storyboard
