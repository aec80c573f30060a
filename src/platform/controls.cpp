#include "platform/controls.h"

#include "platform/platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Twips are stored as given; only the widget's geometry is rounded, after the display scale of a
// fitted lesson. Values far outside any screen are clamped so that a runaway layout can never
// overflow the toolkit's integers.
int ToPixels(double twips, double twipsPerPixel) {
    const double px = twips / twipsPerPixel * P().DisplayScale();
    return static_cast<int>(std::lround(std::clamp(px, -1.0e6, 1.0e6)));
}

// Pixels the toolkit measured (a label's text), back to twips of the lesson's layout.
double ToTwips(int pixels, double twipsPerPixel) { return pixels * twipsPerPixel / P().DisplayScale(); }

// A font as a fitted lesson draws it: its size times the display scale.
QFont Scaled(QFont font) {
    const double scale = P().DisplayScale();
    if (scale == 1) return font;
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    } else if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    }
    return font;
}

class FormWidget : public QWidget {
public:
    explicit FormWidget(Form* form) : form_(form) {
        // Keys are looked at before the focused control sees them, as arrows would otherwise only
        // move the focus between buttons.
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !form_->OnKeyPreview || !watched->isWidgetType()) return false;
        auto* target = static_cast<QWidget*>(watched);
        if (target->window() != this) return false;
        // A key goes first to the focused control, then up through its parents: look at it once.
        if (target != this && target != focusWidget()) return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        bool used = false;
        RunHandler([&] { used = form_->OnKeyPreview(key->key()); });
        if (used) setAttribute(Qt::WA_KeyboardFocusChange);
        return used;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) {
            if (form_->OnActivate) RunHandler(form_->OnActivate);
            // The first control of the course's Tab order, rather than the first one built.
            if (form_->TabOrder && !focusWidget()) focusNextPrevChild(true);
        }
        return QWidget::event(e);
    }
    bool focusNextPrevChild(bool next) override {
        if (!form_->TabOrder) return QWidget::focusNextPrevChild(next);
        std::vector<QWidget*> chain;
        for (Control* c : form_->TabOrder()) {
            if (c && c->Reachable() && (c->Widget()->focusPolicy() & Qt::TabFocus)) chain.push_back(c->Widget());
        }
        if (chain.empty()) return false;
        const auto at = std::find(chain.begin(), chain.end(), focusWidget());
        const auto n = static_cast<std::ptrdiff_t>(chain.size());
        std::ptrdiff_t i = at == chain.end() ? (next ? 0 : n - 1) : (at - chain.begin() + (next ? 1 : n - 1)) % n;
        chain[static_cast<size_t>(i)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (form_->OnKey) {
            const int key = e->key();
            RunHandler([&] { form_->OnKey(key); });
        }
        QWidget::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (form_->OnClose) RunHandler(form_->OnClose);
        e->accept();
    }

private:
    Form* form_;
};

class PictureWidget : public QWidget {
public:
    explicit PictureWidget(PictureBox* box) : box_(box) { setAttribute(Qt::WA_OpaquePaintEvent); }
    QColor back{255, 255, 255};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), back);
        const Picture& picture = box_->GetPicture();
        if (picture.IsNull()) return;
        const double scale = P().DisplayScale();
        const QSizeF size(picture.SizeTwips().width() / P().TwipsPerPixelX() * scale,
                          picture.SizeTwips().height() / P().TwipsPerPixelY() * scale);
        // A photograph drawn smaller than its pixels (a fitted lesson) is smoothed, not decimated.
        const bool smooth = !picture.IsVector() && scale != 1;
        // On a printer or a PDF the slide goes as the vectors and text it is made of.
        const bool onPixels = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
        if (!(picture.IsVector() || smooth) || !onPixels) {
            if (smooth) painter.setRenderHint(QPainter::SmoothPixmapTransform);
            picture.Draw(painter, QRectF(QPointF(0, 0), size));
            return;
        }
        // Vector slides (and smoothed photographs) are drawn once per size, visible part and device
        // pixel ratio, then repainted from that: a fitted slide is drawn again from its vectors at its
        // smaller size, as sharp as any. Only the part inside the window is drawn: a slide far larger
        // than the screen must not cost a picture of its whole size.
        const qreal dpr = devicePixelRatioF();
        const QRect visible = rect().intersected(QRect(mapFrom(window(), QPoint(0, 0)), window()->size()));
        if (visible.isEmpty()) return;
        const void* key = picture.Identity();
        if (cacheKey_ != key || cacheSize_ != size || cacheRect_ != visible || cache_.devicePixelRatioF() != dpr) {
            cache_ = QPixmap(visible.size() * dpr);
            cache_.setDevicePixelRatio(dpr);
            cache_.fill(back);
            QPainter p(&cache_);  // the slide sets its own render hints
            if (smooth) p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(-visible.topLeft());
            p.setClipRect(visible);
            picture.Draw(p, QRectF(QPointF(0, 0), size));
            cacheKey_ = key;
            cacheSize_ = size;
            cacheRect_ = visible;
        }
        painter.drawPixmap(visible.topLeft(), cache_);
    }

private:
    PictureBox* box_;
    QPixmap cache_;
    const void* cacheKey_ = nullptr;
    QSizeF cacheSize_;
    QRect cacheRect_;
};

// An option button whose caption wraps within the button.
class WrapOption : public QAbstractButton {
public:
    explicit WrapOption(QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setAutoExclusive(true);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (isDown()) opt.state |= QStyle::State_Sunken;
        const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &opt, this);
        const int indicatorH = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &opt, this);
        opt.rect = QRect(2, (height() - indicatorH) / 2, indicator, indicatorH);
        style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &opt, &painter, this);
        const QRect textRect(indicator + 8, 0, width() - indicator - 10, height());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text());
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = painter.boundingRect(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text())
                             .adjusted(-2, -1, 2, 1);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
    QSize sizeHint() const override { return {200, 24}; }
};

class ClickImage : public QLabel {
public:
    explicit ClickImage(QWidget* parent, Image* image) : QLabel(parent), image_(image) {
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) image_->Click();
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int k = e->key();
        if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && !e->isAutoRepeat()) {
            image_->Click();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QLabel::focusInEvent(e);
        update();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLabel::focusOutEvent(e);
        update();
    }
    void paintEvent(QPaintEvent* e) override {
        QLabel::paintEvent(e);
        if (!hasFocus()) return;
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

private:
    Image* image_;
};

}  // namespace

QFont UiFont(double points, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// ---------------------------------------------------------------------------------------------
// Control

Control::Control(Container* parent, QString name) : parent_(parent), name_(std::move(name)) {
    if (parent_) parent_->AddChild(this);
}

Control::~Control() {
    if (parent_) parent_->RemoveChild(this);
    delete widget_.data();
}

void Control::Attach(QWidget* widget) {
    widget_ = widget;
    widget->setObjectName(name_);
    Place();
    widget->show();
}

void Control::Trace(TraceEvent event) const {
    event.control = name_;
    P().Trace(event);
}

void Control::SetGeometry(double left, double top, double width, double height) {
    const bool moved = left != left_ || top != top_;
    const bool resized = width != width_ || height != height_;
    if (!moved && !resized) return;
    left_ = left;
    top_ = top;
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    Place();
    if (moved) Trace({.kind = TraceEvent::Kind::Move, .x = left_, .y = top_});
    if (resized) {
        Trace({.kind = TraceEvent::Kind::Size, .x = width_, .y = height_});
        SizeChanged();
    }
}

void Control::SetLeft(double v) { SetGeometry(v, top_, width_, height_); }
void Control::SetTop(double v) { SetGeometry(left_, v, width_, height_); }
void Control::SetWidth(double v) { SetGeometry(left_, top_, v, height_); }
void Control::SetHeight(double v) { SetGeometry(left_, top_, width_, v); }
void Control::Move(double left, double top) { SetGeometry(left, top, width_, height_); }
void Control::Resize(double width, double height) { SetGeometry(left_, top_, width, height); }

void Control::Place() {
    if (!widget_) return;
    const double tx = P().TwipsPerPixelX();
    const double ty = P().TwipsPerPixelY();
    const double sl = parent_ ? parent_->ScaleLeft() : 0;
    const double st = parent_ ? parent_->ScaleTop() : 0;
    // Both edges are rounded, so that boxes laid edge to edge in twips touch on the screen too.
    const int x0 = ToPixels(left_ - sl, tx), x1 = ToPixels(left_ + width_ - sl, tx);
    const int y0 = ToPixels(top_ - st, ty), y1 = ToPixels(top_ + height_ - st, ty);
    widget_->setGeometry(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (widget_) widget_->setVisible(visible);
    Trace({.kind = visible ? TraceEvent::Kind::Show : TraceEvent::Kind::Hide});
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
    Trace({.kind = enabled ? TraceEvent::Kind::Enable : TraceEvent::Kind::Disable});
}

bool Control::Reachable() const {
    if (!enabled_ || !visible_ || !widget_) return false;
    // The window itself may not be on a screen (tests); what counts is the chain of containers.
    for (const QWidget* w = widget_; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->isHidden() || !w->isEnabled()) return false;
    }
    return true;
}

void Control::SetAccessibleName(const QString& name) {
    if (!widget_ || widget_->accessibleName() == name) return;
    widget_->setAccessibleName(name);
}

void Control::SetAccessibleDescription(const QString& description) {
    if (!widget_ || widget_->accessibleDescription() == description) return;
    widget_->setAccessibleDescription(description);
}

void Control::SetFocus() {
    if (widget_) widget_->setFocus(Qt::TabFocusReason);
}

// The window's focus, whether or not the window is the active one.
bool Control::HasFocus() const { return widget_ && widget_->window()->focusWidget() == widget_; }

void Container::RemoveChild(Control* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

// ---------------------------------------------------------------------------------------------
// Form

Form::Form(QString name) : name_(std::move(name)) {
    auto* w = new FormWidget(this);
    w->setObjectName(name_);
    w->setAutoFillBackground(true);
    widget_ = w;
}

Form::~Form() { delete widget_.data(); }

void Form::SetWidth(double v) {
    width_ = v;
    Resize();
}

void Form::SetHeight(double v) {
    height_ = v;
    Resize();
}

void Form::Resize() {
    const QSize size(std::max(1, ToPixels(width_, P().TwipsPerPixelX())),
                     std::max(1, ToPixels(height_, P().TwipsPerPixelY())));
    if (fixed_) {
        widget_->setFixedSize(size);
    } else {
        widget_->resize(size);
    }
}

void Form::SetCaption(const QString& caption) { widget_->setWindowTitle(caption); }

void Form::SetAccessibleName(const QString& name) { widget_->setAccessibleName(name); }

void Form::SetBackColor(const QColor& color) {
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, color);
    widget_->setPalette(pal);
}

void Form::SetBorderless() {
    widget_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
}

void Form::SetIcon(const QPixmap& icon) { widget_->setWindowIcon(QIcon(icon)); }

void Form::SetFixedDialog() {
    fixed_ = true;
    widget_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint);
    // The course window is a tool window, which the toolkit does not count: closing a dialog
    // from its title bar would otherwise end the program.
    widget_->setAttribute(Qt::WA_QuitOnClose, false);
    Resize();
}

void Form::Show() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A window already on screen stays where the learner left it and only comes to the front.
    if (screen && !widget_->isVisible()) {
        const QRect area = screen->geometry();
        widget_->move(area.left() + (area.width() - widget_->width()) / 2,
                      area.top() + (area.height() - widget_->height()) / 2);
    }
    widget_->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget_->raise();
    widget_->activateWindow();
}

void Form::Hide() { widget_->hide(); }

// ---------------------------------------------------------------------------------------------
// PictureBox

PictureBox::PictureBox(Container* parent, QString name) : Control(parent, std::move(name)) {
    auto* w = new PictureWidget(this);
    w->setParent(parent->ChildHost());
    Attach(w);
}

void PictureBox::SetAutoSize(bool on) {
    autoSize_ = on;
    ApplyAutoSize();
}

void PictureBox::SetBackColor(const QColor& color) {
    static_cast<PictureWidget*>(Widget())->back = color;
    Widget()->update();
}

void PictureBox::SetPicture(const Picture& picture, const QString& sourceName) {
    ShowPicture(picture, {.kind = TraceEvent::Kind::Picture, .text = sourceName});
}

void PictureBox::SetPicture(const Picture& picture, int resource) {
    ShowPicture(picture, {.kind = TraceEvent::Kind::Picture, .resource = resource});
}

void PictureBox::ShowPicture(const Picture& picture, TraceEvent event) {
    // The page loops set the same picture again on every pass of a tick: that must cost nothing,
    // neither a repaint nor a trace line.
    if (picture.SameAs(picture_)) {
        ApplyAutoSize();
        return;
    }
    picture_ = picture;
    SetAccessibleDescription(picture.Text());  // what a screen reader reads of the slide
    Trace(picture.IsNull() ? TraceEvent{.kind = TraceEvent::Kind::PictureRemoved} : std::move(event));
    ApplyAutoSize();
    Widget()->update();
}

void PictureBox::ApplyAutoSize() {
    if (!autoSize_ || picture_.IsNull()) return;
    Resize(picture_.SizeTwips().width(), picture_.SizeTwips().height());
}

// Deviation: moving the scale origin keeps the controls already inside where they stand on the
// screen (their Left and Top are re-read from the new origin) instead of shifting them with it, so
// that a control placed before the move, such as the notice line of the first slide, is not
// thrown off the slide when it shows again.
void PictureBox::SetScaleLeft(double v) {
    for (Control* c : Children()) c->left_ += v - scaleLeft_;
    scaleLeft_ = v;
}

void PictureBox::SetScaleTop(double v) {
    for (Control* c : Children()) c->top_ += v - scaleTop_;
    scaleTop_ = v;
}

// ---------------------------------------------------------------------------------------------
// Label

Label::Label(Container* parent, QString name) : Control(parent, std::move(name)) {
    label_ = new QLabel(parent->ChildHost());
    label_->setAutoFillBackground(false);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    Attach(label_);
}

void Label::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    label_->setText(caption);
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
    Fit();
    if (OnChange) OnChange();
}

void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    Fit();
}

void Label::SetWordWrap(bool on) {
    wordWrap_ = on;
    label_->setWordWrap(on);
    Fit();
}

void Label::SetFont(const QFont& font) {
    label_->setFont(Scaled(font));
    Fit();
}

void Label::SetForeColor(const QColor& color) {
    QPalette pal = label_->palette();
    pal.setColor(QPalette::WindowText, color);
    label_->setPalette(pal);
}

void Label::SetOpaque(const QColor& background) {
    QPalette pal = label_->palette();
    pal.setColor(QPalette::Window, background);
    label_->setPalette(pal);
    label_->setAutoFillBackground(true);
}

void Label::SetAlignment(Qt::Alignment alignment) { label_->setAlignment(alignment); }

void Label::SizeChanged() { Fit(); }

void Label::Fit() {
    if (!autoSize_ || fitting_) return;
    fitting_ = true;
    const double tx = P().TwipsPerPixelX(), ty = P().TwipsPerPixelY();
    if (wordWrap_) {
        // Keeps its width and grows downwards.
        const int widthPx = std::max(1, ToPixels(Width(), tx));
        const int h = caption_.isEmpty() ? label_->fontMetrics().height() : label_->heightForWidth(widthPx);
        SetHeight(ToTwips(std::max(h, label_->fontMetrics().height()), ty));
    } else {
        const QSize hint = label_->sizeHint();
        SetWidth(ToTwips(hint.width(), tx));
        SetHeight(ToTwips(hint.height(), ty));
    }
    fitting_ = false;
}

// ---------------------------------------------------------------------------------------------
// CommandButton

CommandButton::CommandButton(Container* parent, QString name) : Control(parent, std::move(name)) {
    button_ = new QPushButton(parent->ChildHost());
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { Click(); });
    Attach(button_);
}

void CommandButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    button_->setText(caption);
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
}

void CommandButton::SetFont(const QFont& font) { button_->setFont(Scaled(font)); }

void CommandButton::SetGraphical(const QPixmap& icon, const QColor& background) {
    button_->setIcon(QIcon(icon));
    button_->setFlat(true);
    button_->setAutoFillBackground(true);
    QPalette pal = button_->palette();
    pal.setColor(QPalette::Button, background);
    pal.setColor(QPalette::Window, background);
    button_->setPalette(pal);
    SizeChanged();
}

void CommandButton::SizeChanged() {
    if (button_ && !button_->icon().isNull()) {
        const QSize avail = button_->size() - QSize(8, 8);
        button_->setIconSize(button_->icon().actualSize(avail.expandedTo(QSize(1, 1))));
    }
}

void CommandButton::Click() {
    if (!Enabled() || !OnClick) return;
    Trace({.kind = TraceEvent::Kind::Click});
    RunHandler(OnClick);
}

// ---------------------------------------------------------------------------------------------
// OptionButton

OptionButton::OptionButton(Container* parent, QString name, OptionButtonArray* array, int16_t index)
    : Control(parent, std::move(name)), array_(array), index_(index) {
    button_ = new WrapOption(parent->ChildHost());
    QObject::connect(button_, &QAbstractButton::clicked, button_, [this] {
        if (array_->OnClick) {
            Trace({.kind = TraceEvent::Kind::Click});
            RunHandler([this] { array_->OnClick(index_); });
        }
    });
    Attach(button_);
}

void OptionButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    button_->setText(caption);
    button_->update();
    Trace({.kind = TraceEvent::Kind::Caption, .text = caption});
}

bool OptionButton::Value() const { return button_->isChecked(); }

void OptionButton::SetValue(bool on) {
    if (on == button_->isChecked()) return;
    // An exclusive button cannot be cleared directly; lift the exclusivity for that moment.
    button_->setAutoExclusive(on);
    button_->setChecked(on);
    button_->setAutoExclusive(true);
}

void OptionButton::SetFont(const QFont& font) { button_->setFont(Scaled(font)); }

void OptionButton::SetBackColor(const QColor& color) {
    QPalette pal = button_->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Button, color);
    button_->setPalette(pal);
}

void OptionButton::Click() {
    if (!Enabled()) return;
    // The same path as a real click: check, then the clicked signal runs the group's handler.
    button_->click();
}

OptionButtonArray::OptionButtonArray(Container* parent, QString name, int count) : name_(std::move(name)) {
    for (int i = 0; i < count; ++i) {
        members_.push_back(std::make_unique<OptionButton>(
            parent, QStringLiteral("%1(%2)").arg(name_).arg(i), this, static_cast<int16_t>(i)));
    }
}

// ---------------------------------------------------------------------------------------------
// Image

Image::Image(Container* parent, QString name) : Control(parent, std::move(name)) {
    auto* label = new ClickImage(parent->ChildHost(), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Attach(label);
}

void Image::SetPicture(const QPixmap& pixmap) {
    const double scale = P().DisplayScale();
    static_cast<QLabel*>(Widget())->setPixmap(scale == 1 || pixmap.isNull()
                                                  ? pixmap
                                                  : pixmap.scaled((QSizeF(pixmap.size()) * scale).toSize(),
                                                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void Image::SetCursor(const QCursor& cursor) { Widget()->setCursor(cursor); }

void Image::Click() {
    if (!Enabled() || !OnClick) return;
    Trace({.kind = TraceEvent::Kind::Click});
    RunHandler(OnClick);
}

}  // namespace platform
