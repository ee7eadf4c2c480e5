// Text of the host's sign-magnitude BCD values (bit 31 the sign, four bits
// per decimal digit below it) with a fixed number of decimal places.
#pragma once

#include "bridge/text_buffer.h"

// Appends the value's digit string with a decimal point before the last
// `decimals` digits: "-1.234" (0x80001234, 3), "0.01234" (0x1234, 5); zero
// prints "0." and `decimals` zeros. A digit above 9 prints as its
// hexadecimal letter, as the digit string of the word reads.
void AppendBcd(TextBuffer* b, uint32_t bcd, uint32_t decimals);

// Two BCD digits as a number; 100 or more when a digit is above 9.
uint32_t BcdByteValue(uint8_t bcd);
// The low 20 bits as five BCD digits (digits above 9 keep their value).
uint32_t BcdLimitValue(uint32_t word);
