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
  uint8_t reserved99;
  // --- entry forms
  char* axisLetter;              // letter shown by the length-correction form
  uint8_t* axisIndex;            // 0..5, or 255: the entered value replaces
  uint8_t* axisCount;            // axes the axis keys may select (1..6)
  uint8_t* presetTable;
  uint8_t reserved116[40];
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
  uint8_t reserved256[40];
  uint8_t* formStatus;           // 9 when a form finished
  uint8_t reserved300[24];
  char* fixTableDir;
  uint8_t reserved328[295];
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

// Byte offsets of the 32-bit settings in the host block at configBlock.
constexpr uint32_t kConfigDecimals = 2996;      // bits 8-11: decimals D
constexpr uint32_t kConfigDecimalsAlt = 2336;   // bits 0-3: D when the first is 0
constexpr uint32_t kConfigHalving = 3000;       // bits 0-3: 0 marker, 1 halve, 2 only entry 54
constexpr uint32_t kConfigMachineBits = 396;    // bit 21: doubling for axis 2 on 'K'
constexpr uint32_t kConfigBlockBytes = 3004;    // the block reaches at least this far
