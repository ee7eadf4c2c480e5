// Text numbers of the cutting-program view and transform.
//
// The same sources are built into Kerf and into Anvil; Anvil's string table
// holds these texts at other numbers (error texts 150 higher, the dialog
// texts 140 higher, the button words among its general texts), selected by
// KERF_TEXTS_OF_ANVIL.
#pragma once

#include <stdint.h>

namespace kerf_text {

#ifdef KERF_TEXTS_OF_ANVIL
constexpr uint32_t kErrorBase = 150;   // texts 0..13
constexpr uint32_t kDialogBase = 140;  // texts 30..41 and 46..48
constexpr uint32_t kYes = 26, kNo = 27, kOk = 23, kCancel = 43;
#else
constexpr uint32_t kErrorBase = 0;
constexpr uint32_t kDialogBase = 0;
constexpr uint32_t kYes = 42, kNo = 43, kOk = 44, kCancel = 45;
#endif

constexpr uint32_t Error(uint32_t n) { return kErrorBase + n; }
constexpr uint32_t Dialog(uint32_t n) { return kDialogBase + n; }

constexpr uint32_t kNoError = Error(0);
constexpr uint32_t kFileOperation = Error(1);
constexpr uint32_t kFilePath = Error(2);
constexpr uint32_t kFileHandle = Error(3);
constexpr uint32_t kFileReading = Error(4);
constexpr uint32_t kNotSignsAndNumbers = Error(11);
constexpr uint32_t kSignCount = Error(12);
constexpr uint32_t kMustBeginWithSign = Error(13);
constexpr uint32_t kLine = Dialog(30);
constexpr uint32_t kContourTransformation = Dialog(31);
constexpr uint32_t kNumberOfSegments = Dialog(32);
constexpr uint32_t kAngle = Dialog(33);
constexpr uint32_t kAngleOfEven = Dialog(34);
constexpr uint32_t kSegmentsX = Dialog(35);
constexpr uint32_t kXShift = Dialog(36);
constexpr uint32_t kYShift = Dialog(37);
constexpr uint32_t kPairShiftX = Dialog(38);
constexpr uint32_t kEvenShiftY = Dialog(39);
constexpr uint32_t kEvenLineShiftX = Dialog(40);
constexpr uint32_t kShorterEvenLine = Dialog(41);
constexpr uint32_t kSegmentsY = Dialog(46);
constexpr uint32_t kWritingError = Dialog(47);
constexpr uint32_t kTempReadingError = Dialog(48);

}  // namespace kerf_text
