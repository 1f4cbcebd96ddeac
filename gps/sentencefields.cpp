#include "sentencefields.h"

CSentenceFields::CSentenceFields(const char* body)
{
    if (!body)
        return;
    m_start[m_count++] = body;
    for (const char* p = body; *p && m_count < kMaxFields; ++p) {
        if (*p == ',')
            m_start[m_count++] = p + 1;
    }
}

int CSentenceFields::Get(int n, char* out, int size) const
{
    if (!out || size < 1 || m_count == 0)
        return 0;
    // A field that starts at the end of the text, at a comma or at '*' is
    // empty; so is one whose comma never came.
    const char* p = n < m_count ? m_start[n < 0 ? 0 : n] : nullptr;
    if (!p) {
        out[0] = '\0';
        return 0;
    }
    return CopyField(p, out, size);
}

int CopyField(const char* p, char* out, int size)
{
    if (*p == '\0' || *p == ',' || *p == '*') {
        out[0] = '\0';
        return 0;
    }
    int length = 0;
    while (length < size - 1 && p[length] != '\0' && p[length] != ',' && p[length] != '*') {
        out[length] = p[length];
        ++length;
    }
    out[length] = '\0';
    return 1;
}
