#pragma once
// EMF for every Qt program through QImageReader: an imageformats plugin on the renderer.

#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QRect>
#include <QSize>
#include <optional>

#include "emf/emf.h"

class EmfImageHandler : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;

    // Whether the device holds a metafile, by its first bytes; the device is not moved.
    static bool CanRead(QIODevice* device);

private:
    // Reads and parses the device once; false (with reason_ set) when it holds no usable picture.
    bool Load() const;
    // Keeps the reason, warns as Qt's own readers do, and returns false.
    bool Refuse(const QString& reason);

    mutable std::optional<emf::Picture> picture_;
    mutable QString reason_;
    QSize scaledSize_;
    QRect clipRect_, scaledClipRect_;
};

class EmfImagePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "emf.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format = QByteArray()) const override;
};
