#include "usermessages.h"

#include <cstdio>

namespace {

CUserMessages g_standardError;
CUserMessages* g_default = &g_standardError;
CUserMessages* g_installed = nullptr;

} // namespace

CUserMessages::~CUserMessages() = default;

void CUserMessages::StopBeep()
{
}

void CUserMessages::Show(QWidget*, Icon, const QString&, const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

CUserMessages& CUserMessages::Current()
{
    return g_installed ? *g_installed : *g_default;
}

void CUserMessages::Install(CUserMessages* messages)
{
    g_installed = messages;
}

void CUserMessages::SetDefault(CUserMessages* messages)
{
    g_default = messages ? messages : &g_standardError;
}
