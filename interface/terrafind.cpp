#include <terrafind/interface.h>

CTerrafind::CTerrafind() : m_bArabic(0) {}
CTerrafind::CTerrafind(const CTerrafind& other) = default;
CTerrafind& CTerrafind::operator=(const CTerrafind& other) = default;
CTerrafind::~CTerrafind() = default;

void CTerrafind::SetArabic()
{
    m_bArabic = 1;
}
