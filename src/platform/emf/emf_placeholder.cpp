// Stand-in until the renderer lands: reads the header's frame and draws nothing.
#include "platform/emf/emf_document.h"

#include <QtEndian>

namespace platform::emf {

namespace {
class HeaderOnly : public EmfDocument {
public:
    explicit HeaderOnly(QSizeF frame) : frame_(frame) {}
    QSizeF FrameSize() const override { return frame_; }
    void Render(QPainter&, const QRectF&) const override {}

private:
    QSizeF frame_;
};
}  // namespace

std::shared_ptr<const EmfDocument> EmfDocument::Parse(const QByteArray& data) {
    if (data.size() < 88) throw EmfError("ce n'est pas un fichier EMF valide");
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const auto l = qFromLittleEndian<qint32>(p + 24), t = qFromLittleEndian<qint32>(p + 28);
    const auto r = qFromLittleEndian<qint32>(p + 32), b = qFromLittleEndian<qint32>(p + 36);
    if (r <= l || b <= t) throw EmfError("ce n'est pas un fichier EMF valide");
    return std::make_shared<HeaderOnly>(QSizeF(double(r) - l, double(b) - t));
}

}  // namespace platform::emf
