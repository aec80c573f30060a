#include "layout.h"

#include "canvas.h"

#include <stdexcept>

namespace demo {

// Photograph sizes (pixels) and where the page formulas put them on a 1024 x 768 slide shown on
// a 1920 x 1080 screen (15 twips per pixel; the slide box is 15360 x 11520 twips). Slide pixels,
// left-top to right-bottom. Text and drawings of the slides keep out of every area listed here;
// BoundsCanvas checks it when the slides are generated.
//
// | page | what                         | size      | area on the slide (x0,y0 - x1,y1)   |
// |------|------------------------------|-----------|-------------------------------------|
// |  0   | notice line (Label4)         |  49 x 17  | kept clear: 300,620 - 724,700       |
// |  1   | Img1.jpg                     | 240 x 180 | 777,7 - 1017,187                    |
// |  1   | Img2.jpg                     | 240 x 180 | 764,207 - 1004,387                  |
// |  1   | Img3.jpg                     | 220 x 165 | 524,595 - 744,760                   |
// |  2   | Img6.jpg                     | 260 x 200 | 744,20 - 1004,220                   |
// |  2   | Img7.jpg                     | 200 x 150 | 644,287 - 844,437                   |
// |  2   | Img8.jpg                     | 180 x 135 | 584,600 - 764,735                   |
// |  3   | Img9.jpg                     | 280 x 210 | 734,10 - 1014,220                   |
// |  3   | Img10.jpg                    | 280 x 210 | 717,233 - 997,443                   |
// |  9   | Img11.jpg                    | 240 x 180 | 764,113 - 1004,293                  |
// |  9   | Img12.jpg                    | 240 x 160 | 510,606 - 750,766                   |
// | 11   | Img13.jpg                    | 240 x 180 | 775,10 - 1015,190                   |
// | 11   | Img14.jpg                    | 240 x 180 | 775,202 - 1015,382                  |
// | 11   | Img15.jpg                    | 220 x 165 | 546,583 - 766,748                   |
// | 12   | Img17.jpg                    | 240 x 180 | 775,10 - 1015,190                   |
// | 12   | Img16.jpg                    | 220 x 165 | 764,220 - 984,385                   |
// | 12   | Img18.jpg                    | 220 x 165 | 464,582 - 684,747                   |
// | 13   | frames 111-115               | 300 x 374 | 694,10 - 994,384                    |
// | 13   | Img19.jpg                    | 260 x 195 | 684,397 - 944,592                   |
// | 14   | strips 116-122 and captions  | 268 x 54  | 700,115 - 985,440 (both strips)     |
// | 16   | Img20.jpg                    | 260 x 195 | 599,46 - 859,241                    |

const QList<PhotoSpec>& Photos() {
    static const QList<PhotoSpec> photos = {
        {1, {240, 180}},  {2, {240, 180}},  {3, {220, 165}},  {6, {260, 200}},  {7, {200, 150}},
        {8, {180, 135}},  {9, {280, 210}},  {10, {280, 210}}, {11, {240, 180}}, {12, {240, 160}},
        {13, {240, 180}}, {14, {240, 180}}, {15, {220, 165}}, {16, {220, 165}}, {17, {240, 180}},
        {18, {220, 165}}, {19, {260, 195}}, {20, {260, 195}},
    };
    return photos;
}

QSize PhotoSize(int number) {
    for (const PhotoSpec& p : Photos())
        if (p.number == number) return p.size;
    throw std::logic_error("no such photograph");
}

namespace {

constexpr double E = 15.0;  // twips per pixel on the reference screen
// The slide's natural size in twips, from its frame of 27093 x 20320 hundredths of a millimetre.
constexpr double W = 27093.0 * 1440 / 2540;
constexpr double H = 20320.0 * 1440 / 2540;

// A box in twips, relative to the slide's top-left corner.
struct Box {
    double left, top, width, height;
};

Box Sized(int photo) {
    const QSize s = PhotoSize(photo);
    return {0, 0, s.width() * E, s.height() * E};
}

Landing Land(int photo, const Box& b) {
    return {QStringLiteral("Img%1.jpg").arg(photo), QRectF(b.left / E, b.top / E, b.width / E, b.height / E), true};
}

}  // namespace

QList<Landing> Landings(int page) {
    QList<Landing> out;
    switch (page) {
    case 0:
        out.append({QStringLiteral("notice line"), QRectF(300, 620, 424, 80), false});
        break;
    case 1: {
        Box p2 = Sized(1), p3 = Sized(2), p4 = Sized(3);
        p2.left = W - p2.width - 100;
        p2.top = 100;
        p3.left = W - p3.width - 300;
        p3.top = p2.top + p2.height + 300;
        p4.left = W - p3.width - p4.width - 600;
        p4.top = H - p4.height - 120;
        out << Land(1, p2) << Land(2, p3) << Land(3, p4);
        break;
    }
    case 2: {
        Box p2 = Sized(6), p3 = Sized(7), p4 = Sized(8);
        p2.left = W - p2.width - 300;
        p2.top = 300;
        p3.left = W - p3.width - 2700;
        p3.top = p2.top + p2.height + 1000;
        p4.left = W - p3.width - p4.width - 900;
        p4.top = H - p4.height - 500;
        out << Land(6, p2) << Land(7, p3) << Land(8, p4);
        break;
    }
    case 3: {
        Box p2 = Sized(9), p3 = Sized(10);
        p2.left = W - p2.width - 150;
        p2.top = 150;
        p3.left = W - p3.width - 400;
        p3.top = p2.top + p2.height + 200;
        out << Land(9, p2) << Land(10, p3);
        break;
    }
    case 9: {
        Box p2 = Sized(11), p3 = Sized(12);
        p2.left = W - p2.width - 300;
        p2.top = p2.height - 1000;
        p3.left = W - p3.width - 274 * E;
        p3.top = H - p3.height - 2 * E;
        out << Land(11, p2) << Land(12, p3);
        break;
    }
    case 11: {
        Box p2 = Sized(13), p3 = Sized(14), p4 = Sized(15);
        p2.left = W - p2.width - 9 * E;
        p2.top = 10 * E;
        p3.left = W - p3.width - 9 * E;
        p3.top = p2.top + p2.height + 12 * E;
        p4.left = W - p3.width - p4.width - 18 * E;
        p4.top = H - p4.height - 20 * E;
        out << Land(13, p2) << Land(14, p3) << Land(15, p4);
        break;
    }
    case 12: {
        Box p2 = Sized(17), p3 = Sized(16), p4 = Sized(18);
        p2.left = W - p2.width - 9 * E;
        p2.top = 10 * E;
        p3.left = W - p3.width - 40 * E;
        p3.top = p2.top + p2.height + 30 * E;
        p4.left = p3.left - p4.width - 80 * E;
        p4.top = H - p4.height - 21 * E;
        out << Land(17, p2) << Land(16, p3) << Land(18, p4);
        break;
    }
    case 13: {
        const Box frames{W - 300 * E - 30 * E, 10 * E, 300 * E, 374 * E};
        out.append({QStringLiteral("frames 111-115"),
                    QRectF(frames.left / E, frames.top / E, frames.width / E, frames.height / E), true});
        Box p3 = Sized(19);
        p3.left = W - p3.width - 80 * E;
        p3.top = frames.top + frames.height + 13 * E;
        out << Land(19, p3);
        break;
    }
    case 14: {
        // Upper strip 52 px in from the right and 120 px down; its caption, the lower strip 150 px
        // under the caption and the lower caption follow; the labels are 13.5-point bold.
        const double left = (W - 268 * E - 52 * E) / E;
        out.append({QStringLiteral("strips 116-122 and their captions"), QRectF(left - 4, 115, 285, 325), false});
        break;
    }
    case 16: {
        Box p2 = Sized(20);
        p2.left = W - p2.width - 165 * E;
        p2.top = 46 * E;
        out << Land(20, p2);
        break;
    }
    default:
        break;
    }
    return out;
}

}  // namespace demo
