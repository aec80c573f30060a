#pragma once

#include "platform/container.h"
#include "platform/control.h"
#include "platform/picture.h"
#include "platform/trace_event.h"

#include <QColor>
#include <QString>
#include <functional>

namespace platform {

class PictureBox : public Control, public Container {
public:
    PictureBox(Container* parent, QString name);
    QWidget* ChildHost() const override { return Widget(); }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void SetBackColor(const QColor& color);
    // Shows a picture at the box's top-left corner at its natural size; with auto-size on, the box
    // takes that size. sourceName is what traces call it (the file name).
    void SetPicture(const Picture& picture, const QString& sourceName = {});
    // The same for one of the program's own bitmaps, traced by its number.
    void SetPicture(const Picture& picture, int resource);
    const Picture& GetPicture() const { return picture_; }
    // The scale the picture is drawn at against its natural size (1 by default); with auto-size on,
    // the box takes the scaled size. A vector picture is drawn again from its vectors at that size,
    // a photograph smoothed from its own pixels.
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);
    // Starts drawing picture (a PDF slide) as this box, on the screen, will draw it at zoom, so that
    // showing it later costs no drawing; anything else is drawn when shown.
    void DrawAhead(const Picture& picture, double zoom) const;
    // The program's own bitmap it shows, or 0 for a picture from a file (or none).
    int Resource() const { return resource_; }

    // Runs after the picture was replaced.
    std::function<void()> OnChange;
    // Runs after the box was made visible.
    std::function<void()> OnShow;

    double ScaleLeft() const override { return scaleLeft_; }
    double ScaleTop() const override { return scaleTop_; }
    // Moves the origin of the coordinates its children are read and set in. Children already placed
    // stay where they are on the screen; their Left and Top now read in the new coordinates.
    void SetScaleLeft(double v);
    void SetScaleTop(double v);

protected:
    void Shown() override;

private:
    void ShowPicture(const Picture& picture, TraceEvent event);
    void ApplyAutoSize();
    Picture picture_;
    int resource_ = 0;
    bool autoSize_ = false;
    double zoom_ = 1;
    double scaleLeft_ = 0, scaleTop_ = 0;
};

}  // namespace platform
