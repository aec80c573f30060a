#pragma once
// Where the PDF writer writes: passes everything on to the file, except that the date of writing
// it stamps near the start (and the date of change, where the writer adds one) is replaced by a
// given date, so that the same course gives the same bytes. Only the start is held back until
// those stamps have gone by; the rest streams straight on.

#include <QByteArray>
#include <QIODevice>

namespace storyboard {

class DatedOutput : public QIODevice {
public:
    // stamp: the 14 digits of the date (yyyyMMddHHmmss) the document is to carry.
    DatedOutput(QIODevice* target, QByteArray stamp);
    void close() override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    // Writes out what was held back; false if the target refused it.
    bool Release();

    QIODevice* target_;
    QByteArray stamp_;
    QByteArray head_;  // held back until the stamp is found or too much has gone by
    bool passing_ = false;
};

}  // namespace storyboard
