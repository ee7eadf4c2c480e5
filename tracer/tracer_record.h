// STRUCT_TRACER: the one parameter record every export of Tracer takes.
// Owned and filled by the host; packed, little-endian, 32-bit pointers.
// Most fields point at host variables, so what the library writes through
// them the host sees at once. The library reads the record and writes only
// through its pointers. Unnamed gaps are fields the library does not use
// (yet); later screens name them here.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "bridge/host_api.h"

#pragma pack(push, 1)
struct STRUCT_TRACER {
  uint16_t size;                 // not read
  HostDispatch dispatch;         // host service entry
  const uint8_t* serviceBlock;   // display block: palette bytes, service words
  // --- path graphics
  uint8_t layoutMode;            // 1 full width, 2 right half, 3 left half
  uint32_t* scaleV;              // multiplier of the vertical coordinate
  uint32_t* scaleH;              // multiplier of the horizontal coordinate
  uint16_t* statusChar;          // low byte compared with '@' (tool circle)
  uint16_t* statusCode;          // low byte compared with 150 (tool circle)
  int16_t* stepV;                // vertical move since the last call, um; cleared
  int16_t* stepH;                // horizontal move, same
  uint8_t* plane;                // plane selector 0..3
  uint8_t* planeSaved;           // the host's copy of it
  uint8_t* trailColour;          // 0, 1, 2: palette colour of the trail
  uint8_t* keyCode;              // 1..5 or none; 0 written after handling
  char* modeText;                // fourth character: reference mode '0' '1' '2'
  char* defaultAxes;             // two axis letters of the offset forms
  uint8_t* originPos;            // 0..8
  uint32_t axisBlock;            // address; twelve i32 axis values 2 bytes in
  uint32_t paramReadHandle;      // service: read a machine parameter
  uint8_t reserved71[8];
  uint8_t* snapshotFlag;         // 255: fresh read-out snapshot
  uint8_t* axisFirst;            // axis shown horizontally (key 4)
  uint8_t* axisSecond;           // axis shown vertically (key 4)
  uint8_t* zoomIndex;            // 0..12
  int16_t* zoomDivisor;          // um per pixel of the zoom index
  uint8_t transformType;          // dialog: 1 "2D(1)", 2 "2D(2)", 3 "3D(1)"
  // --- entry forms
  char* axisLetter;              // letter shown by the length-correction form
  uint8_t* axisIndex;            // 0..5, or 255: the entered value replaces
  uint8_t* axisCount;            // axes the axis keys may select (1..6)
  uint8_t* presetTable;          // hard-wired shift: table digit, 255 from the settings
  // --- transformation dialog
  uint8_t* axisMask;             // receives the chosen axes on save (bit 0 axis 1)
  uint8_t* transformActive[3];   // nonzero: type 1, 2, 3 is active
  char* distanceText[3];         // receive a1, a2, a3 on save (11 bytes each)
  char* angleText[3];            // receive angles 1, 2, 3 on save (11 bytes each)
  uint32_t* positionArg;         // argument of the position service
  const uint8_t* configBlock;    // host block of 32-bit machine settings
  uint16_t* tick;                // tick counter: cursor blink
  char* corrTableName;           // correction table file
  char* shiftTableName;          // shift table file
  char* tableName;               // receives the table to write (64 bytes)
  char* valueText;               // value being entered (11 bytes)
  char* resultText;              // value the table receives (11 bytes)
  char* entryText;               // entry number (3 bytes)
  char* sectionText;             // receives "$KOR" or "$POS" (5 bytes)
  char* axisNames;               // letters of axes 0..5
  char* machineType;             // 'S' or 'K' double the shown value
  uint8_t* formKey;              // key of the operator; 0 written after reading
  uint8_t* messageCode;          // 135 when the write service failed
  uint8_t* keepZeros;            // nonzero: result line keeps leading zeros
  uint8_t* formKind;             // 1..5
  uint8_t* addMode;              // 255: result = current entry + entered value
  uint8_t* shiftFamily;          // 0 correction tables, 255 shift tables
  uint8_t* writeMode;            // 255: written as entered (for the host)
  uint32_t writeEntryHandle;     // service: write the entry; nonzero = failed
  uint32_t loadShiftHandle;      // service: shift entry into resultText
  uint32_t loadCorrHandle;       // service: length correction into resultText
  uint32_t loadEntryHandle;      // service: current entry into resultText
  uint32_t positionHandle;       // service (1 argument): current position
  uint32_t axisValueHandle;      // service (1 argument: axis): value
  uint32_t storeHandle[3];       // dialog: store the parameters of type 1, 2, 3
  uint32_t activateHandle[3];    // dialog: activate type 1, 2, 3
  uint32_t deactivateHandle[3];  // dialog: deactivate type 1, 2, 3
  uint32_t saveHandle;           // dialog: save (called before the store)
  uint8_t* formStatus;           // 9 when a form finished
  // --- ISO contour view (DLL_SHOWISO)
  uint8_t viewMode;              // 2 draw the segment, 3 extend the extents, else whole program
  uint8_t largeLayout;           // nonzero: the large layout
  uint8_t segmentMotion;         // motion of the segment of viewMode 2
  uint8_t displayKind;           // 0, 1, 2, 10, 11 for a whole program
  uint8_t* labelLeft;            // nonzero: the dimension label at the left
  uint8_t* colourSelectRapid;    // kind 11: rapid moves in byte 31
  uint8_t* colourSelectOverride; // every move in byte 23
  uint8_t* displayKindInUse;     // copied from displayKind
  uint8_t* editorBuffer;         // nonzero: view the editor's buffer file
  char* fixTableDir;             // fixed shift table's directory; also the editor buffer's
  uint8_t* diameterFlag;
  uint8_t* motionType;
  uint8_t* planeType;
  char* horizontalLetter;
  char* verticalLetter;
  uint8_t* cuttingFlag;          // 1 after a cutting move, 0 after a rapid one
  char* programPath;
  char* numberText;              // number service: formatted text out
  char* numberInput;             // number service: text to convert
  uint8_t* decimalComma;         // 0 when the decimal character is ',', else 255
  int16_t* iAxis;                // 1: I belongs to the horizontal axis, -1 the vertical
  uint8_t* lineDrawn;            // 255 after each drawn line
  int16_t* lineEndX;
  int16_t* lineEndY;
  uint16_t* clipLeft;
  uint16_t* clipRight;
  uint16_t* clipTop;
  uint16_t* clipBottom;
  char* decimalChar;             // the host's decimal character
  uint8_t reserved404[16];       // host shifts for some plane types (not applied)
  int32_t* offsetH;              // display kind 1: offsets subtracted, um
  int32_t* offsetV;
  uint8_t reserved428[4];        // host shift (not applied)
  double* programWidth;
  double* programHeight;
  double* targetH;
  double* targetV;
  double* arcOffsetH;
  double* arcOffsetV;
  double* previousH;
  double* previousV;
  double* minV;
  double* maxV;
  double* minH;
  double* maxH;
  double* areaWidth;
  double* areaHeight;
  double* shiftH;
  double* shiftV;
  double* directionH;
  double* directionV;
  double* panH;
  double* panV;
  double* scale;
  double* originX;
  double* originY;
  double* numberResult;          // number service: converted value
  double* numberValue;           // number service: value to format
  double segmentEnd[2];          // viewMode 3: the new horizontal and vertical position
  uint32_t prepareEditorHandle;  // service: prepare the editor buffer file
  uint32_t textToNumberHandle;   // service: numberInput -> *numberResult
  uint32_t numberToTextHandle;   // service: *numberValue -> numberText
  // --- technology screens
  uint8_t* technolInput;         // host's input byte array
  uint8_t* technolOutput;        // host's output byte array
  uint8_t reserved568[12];
  const char* technolText;       // the screen description
  const uint8_t* technolPictures; // the description's picture data
  uint8_t reserved588;
  uint8_t technolInstance;       // 1, 2 or 3
  uint8_t reserved590;
  uint8_t* technolKey;           // instance 1's key; 0 written after reading
  uint8_t* technolKeyModifier;   // instance 1's key modifier; cleared the same way
  uint8_t reserved599[4];
  uint32_t* textPosition;        // host's current text position (packed point)
  uint8_t reserved607[4];
  uint32_t technolTextOffset;    // added to technolText
  uint8_t reserved615[8];
  uint32_t writeFixHandle;
};
#pragma pack(pop)

#define TRACER_AT(field, offset) static_assert(offsetof(STRUCT_TRACER, field) == offset, #field)
TRACER_AT(dispatch, 2);
TRACER_AT(serviceBlock, 6);
TRACER_AT(layoutMode, 10);
TRACER_AT(scaleV, 11);
TRACER_AT(scaleH, 15);
TRACER_AT(statusChar, 19);
TRACER_AT(statusCode, 23);
TRACER_AT(stepV, 27);
TRACER_AT(stepH, 31);
TRACER_AT(plane, 35);
TRACER_AT(planeSaved, 39);
TRACER_AT(trailColour, 43);
TRACER_AT(keyCode, 47);
TRACER_AT(modeText, 51);
TRACER_AT(defaultAxes, 55);
TRACER_AT(originPos, 59);
TRACER_AT(axisBlock, 63);
TRACER_AT(paramReadHandle, 67);
TRACER_AT(snapshotFlag, 79);
TRACER_AT(axisFirst, 83);
TRACER_AT(axisSecond, 87);
TRACER_AT(zoomIndex, 91);
TRACER_AT(zoomDivisor, 95);
TRACER_AT(axisLetter, 100);
TRACER_AT(axisIndex, 104);
TRACER_AT(axisCount, 108);
TRACER_AT(presetTable, 112);
TRACER_AT(transformType, 99);
TRACER_AT(axisMask, 116);
TRACER_AT(transformActive, 120);
TRACER_AT(distanceText, 132);
TRACER_AT(angleText, 144);
TRACER_AT(storeHandle, 256);
TRACER_AT(activateHandle, 268);
TRACER_AT(deactivateHandle, 280);
TRACER_AT(saveHandle, 292);
TRACER_AT(viewMode, 300);
TRACER_AT(largeLayout, 301);
TRACER_AT(segmentMotion, 302);
TRACER_AT(displayKind, 303);
TRACER_AT(labelLeft, 304);
TRACER_AT(colourSelectRapid, 308);
TRACER_AT(colourSelectOverride, 312);
TRACER_AT(displayKindInUse, 316);
TRACER_AT(editorBuffer, 320);
TRACER_AT(diameterFlag, 328);
TRACER_AT(motionType, 332);
TRACER_AT(planeType, 336);
TRACER_AT(horizontalLetter, 340);
TRACER_AT(verticalLetter, 344);
TRACER_AT(cuttingFlag, 348);
TRACER_AT(programPath, 352);
TRACER_AT(numberText, 356);
TRACER_AT(numberInput, 360);
TRACER_AT(decimalComma, 364);
TRACER_AT(iAxis, 368);
TRACER_AT(lineDrawn, 372);
TRACER_AT(lineEndX, 376);
TRACER_AT(lineEndY, 380);
TRACER_AT(clipLeft, 384);
TRACER_AT(clipRight, 388);
TRACER_AT(clipTop, 392);
TRACER_AT(clipBottom, 396);
TRACER_AT(decimalChar, 400);
TRACER_AT(offsetH, 420);
TRACER_AT(offsetV, 424);
TRACER_AT(programWidth, 432);
TRACER_AT(programHeight, 436);
TRACER_AT(targetH, 440);
TRACER_AT(targetV, 444);
TRACER_AT(arcOffsetH, 448);
TRACER_AT(arcOffsetV, 452);
TRACER_AT(previousH, 456);
TRACER_AT(previousV, 460);
TRACER_AT(minV, 464);
TRACER_AT(maxV, 468);
TRACER_AT(minH, 472);
TRACER_AT(maxH, 476);
TRACER_AT(areaWidth, 480);
TRACER_AT(areaHeight, 484);
TRACER_AT(shiftH, 488);
TRACER_AT(shiftV, 492);
TRACER_AT(directionH, 496);
TRACER_AT(directionV, 500);
TRACER_AT(panH, 504);
TRACER_AT(panV, 508);
TRACER_AT(scale, 512);
TRACER_AT(originX, 516);
TRACER_AT(originY, 520);
TRACER_AT(numberResult, 524);
TRACER_AT(numberValue, 528);
TRACER_AT(segmentEnd, 532);
TRACER_AT(prepareEditorHandle, 548);
TRACER_AT(textToNumberHandle, 552);
TRACER_AT(numberToTextHandle, 556);
TRACER_AT(positionArg, 156);
TRACER_AT(configBlock, 160);
TRACER_AT(tick, 164);
TRACER_AT(corrTableName, 168);
TRACER_AT(shiftTableName, 172);
TRACER_AT(tableName, 176);
TRACER_AT(valueText, 180);
TRACER_AT(resultText, 184);
TRACER_AT(entryText, 188);
TRACER_AT(sectionText, 192);
TRACER_AT(axisNames, 196);
TRACER_AT(machineType, 200);
TRACER_AT(formKey, 204);
TRACER_AT(messageCode, 208);
TRACER_AT(keepZeros, 212);
TRACER_AT(formKind, 216);
TRACER_AT(addMode, 220);
TRACER_AT(shiftFamily, 224);
TRACER_AT(writeMode, 228);
TRACER_AT(writeEntryHandle, 232);
TRACER_AT(loadShiftHandle, 236);
TRACER_AT(loadCorrHandle, 240);
TRACER_AT(loadEntryHandle, 244);
TRACER_AT(positionHandle, 248);
TRACER_AT(axisValueHandle, 252);
TRACER_AT(formStatus, 296);
TRACER_AT(fixTableDir, 324);
TRACER_AT(technolInput, 560);
TRACER_AT(technolOutput, 564);
TRACER_AT(technolText, 580);
TRACER_AT(technolPictures, 584);
TRACER_AT(technolInstance, 589);
TRACER_AT(technolKey, 591);
TRACER_AT(technolKeyModifier, 595);
TRACER_AT(textPosition, 603);
TRACER_AT(technolTextOffset, 611);
TRACER_AT(writeFixHandle, 623);
#undef TRACER_AT
static_assert(sizeof(STRUCT_TRACER) == 627);

// Host buffer sizes the library writes at most (bytes, NUL included) and
// reads host texts up to.
constexpr uint32_t kValueTextBytes = 11;
constexpr uint32_t kResultTextBytes = 11;
constexpr uint32_t kEntryTextBytes = 3;
constexpr uint32_t kSectionTextBytes = 5;
constexpr uint32_t kTableNameBytes = 64;
constexpr uint32_t kDialogTextBytes = 11;   // each distance and angle buffer
constexpr uint32_t kNumberTextBytes = 32;   // numberText and numberInput

// Byte offsets of the 32-bit settings in the host block at configBlock.
constexpr uint32_t kConfigDecimals = 2996;      // bits 8-11: decimals D
constexpr uint32_t kConfigDecimalsAlt = 2336;   // bits 0-3: D when the first is 0
constexpr uint32_t kConfigHalving = 3000;       // bits 0-3: 0 marker, 1 halve, 2 only entry 54
constexpr uint32_t kConfigMachineBits = 396;    // bit 21: doubling for axis 2 on 'K'
constexpr uint32_t kConfigBlockBytes = 3004;    // the block reaches at least this far
