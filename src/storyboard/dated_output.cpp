#include "storyboard/dated_output.h"

#include <cstring>

namespace storyboard {

namespace {
const QByteArray kStamp("/CreationDate (D:");
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
    const qsizetype at = head_.indexOf(kStamp);
    if (at >= 0 && head_.size() >= at + kStamp.size() + stamp_.size()) {
        std::memcpy(head_.data() + at + kStamp.size(), stamp_.constData(), static_cast<size_t>(stamp_.size()));
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
