#pragma once
// Names of the pictures compiled into the program (drawn at build time by tools/make_frames): the
// one list of them. resources.cmake reads the frame numbers and the ":/images/..." names from here.

namespace resources {

// Frames 111 to 122 live at ":/frames/<id>.bmp".
inline constexpr int kFirstCircuitFrame = 111;
inline constexpr int kLastCircuitFrame = 115;
inline constexpr int kFirstStripFrame = 116;
inline constexpr int kLastStripFrame = 122;
inline constexpr int kCircuitFrameWidth = 300;
inline constexpr int kCircuitFrameHeight = 374;
inline constexpr int kStripFrameWidth = 268;
inline constexpr int kStripFrameHeight = 54;
// Seven electrons evenly spaced across the strip; one shifted onward by a seventh of their spacing
// per frame, so 122 leads back to 116 by the same step.
inline constexpr int kStripElectrons = 7;

inline constexpr const char* kLogo = ":/images/logo26.png";            // 26 x 26, Image1
inline constexpr const char* kHandCursor = ":/images/hand.png";        // 32 x 32 with alpha
inline constexpr const char* kArrowLeft = ":/images/arrow_left.png";   // 40 x 30, B_Pag_P
inline constexpr const char* kArrowRight = ":/images/arrow_right.png"; // 40 x 30, B_Pag_S
inline constexpr const char* kIcon32 = ":/images/icon32.png";
inline constexpr const char* kIcon256 = ":/images/icon256.png";
inline constexpr const char* kKorvaneLogo = ":/images/korvane.png";    // 180 x 46, picIcon

// The hand cursor's hot spot: the tip of the pointing finger, in the cursor's pixels.
inline constexpr int kHandHotspotX = 12;
inline constexpr int kHandHotspotY = 1;

}  // namespace resources
