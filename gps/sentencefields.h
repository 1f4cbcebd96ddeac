// One pass over an NMEA sentence body that finds where each field starts, so
// that a sentence parser reads its fields without rescanning the body for
// every one (CSentenceParser::GetField walks from the start each time).
#pragma once

#include <cstddef>

// Copies the field that starts at p (up to ',', '*' or the end, at most
// size - 1 characters) into out: 1, or 0 with out empty when the field is
// empty. Shared by both ways of finding a field.
int CopyField(const char* p, char* out, int size);

class CSentenceFields {
public:
    // Fields past this one are never read by any sentence parser.
    static constexpr int kMaxFields = 20;

    explicit CSentenceFields(const char* body);

    // Field n into out, exactly as CSentenceParser::GetField(body, out, n,
    // size) gives it: 1 with the text (cut to size - 1 characters), 0 and
    // empty when the field is empty or absent, 0 untouched when size < 1.
    int Get(int n, char* out, int size) const;

private:
    const char* m_start[kMaxFields];
    int m_count = 0;
};
