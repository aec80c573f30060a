#pragma once
// The storyboard's sheets: A4 landscape pages of a PDF, each with a caption, drawn with the same
// painter the windows paint themselves with, so that slides stay vectors, texts stay searchable
// text, and photographs keep their own pixels.

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;
class QWidget;

namespace storyboard {

// One picture of an animation: when it showed, and the frame of each strip visible then, top to bottom.
struct Frame {
    qint64 ms;
    std::vector<QImage> images;
};

// A time in seconds to the hundredth, the French way: "2 s", "0,35 s".
QString Seconds(qint64 ms);

class Sheets {
public:
    // Writes to device, which must stay open until Finish; xmp is the document's metadata packet.
    Sheets(QIODevice* device, const QString& documentTitle, const QString& creator, const QByteArray& xmp);
    ~Sheets();

    // The first sheet: what the document is and what it holds.
    void TitlePage(const QString& title, const QStringList& lines);
    // A window as it looks now, under a caption and an optional note.
    void Shot(const QString& caption, const QString& note, QWidget* window);
    // The frames of an animation side by side, each with its time.
    void Strip(const QString& caption, const QString& note, const std::vector<Frame>& frames);
    // Ends the document; false if the painter could not write it.
    bool Finish();

    int Count() const { return count_; }

private:
    // Starts a sheet with its caption and note; returns the area left below them.
    QRectF Begin(const QString& caption, const QString& note);

    QPdfWriter writer_;
    QPainter painter_;
    QString footer_;
    int count_ = 0;
};

}  // namespace storyboard
