// The control's own single-byte character set (ZORV) and the conversions
// into it. Pure table lookups, usable before any initialisation.
//
// One copy of the tables serves the whole code base: the string-table
// compiler, the diagnostics library's exports and the host's font renderer.
#pragma once

#include <stdint.h>

// Unicode code unit -> ZORV code; "." for anything the set cannot show.
uint8_t ZorvFromUnicode(uint16_t unit);

// Code-page-1250 byte -> ZORV code; "." for anything the set cannot show.
uint8_t ZorvFromCp1250(uint8_t byte);

// ZORV code -> the Unicode character the control's display shows for it
// (the display draws "<" "|" "~" ">" and 0x7F as arrows). 0 for codes
// without a meaning.
uint32_t ZorvDisplayGlyph(uint8_t code);

// ZORV code -> Unicode character it stands for in text (no arrow
// substitution); 0 for codes without a meaning. Codes shared by two
// characters give the Greek or Cyrillic one.
uint32_t ZorvToUnicode(uint8_t code);
