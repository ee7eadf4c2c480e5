// Cleaning one block of an ISO (G-code) program, shared by every view that
// reads ISO words (Kerf's program view, Tracer's contour view, the
// simulator's program loader).
#pragma once

// In place: removes every blank, tab and line feed, and every comment in
// double quotes (from one quote to the next, both included; an unclosed
// one runs to the end of the block).
void NormalizeIsoBlock(char* block);
