#include "searchtext.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

constexpr char16_t kTransform[] = u"NFD; [:Nonspacing Mark:] Remove; Latin-ASCII; Lower; NFC";

// NFKC with full case folding, for every script: full-width and
// half-width forms, ligatures, Arabic presentation forms and the like become
// the letters they stand for, and case goes the way Unicode folds it (Greek
// final sigma, Cherokee). Null when ICU's data is missing. Immutable and
// shared.
const icu::Normalizer2* CompatibilityFold()
{
    static const icu::Normalizer2* const fold = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* made = icu::Normalizer2::getNFKCCasefoldInstance(status);
        return U_SUCCESS(status) ? made : nullptr;
    }();
    return fold;
}

// ICU's transliterators keep state while they work, so each thread has its
// own. Null when ICU cannot build it (its data missing): the text is then
// only lower-cased.
icu::Transliterator* Transform()
{
    thread_local const std::unique_ptr<icu::Transliterator> transform = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(
            icu::Transliterator::createInstance(icu::UnicodeString(kTransform), UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return transform.get();
}

bool IsAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// The Arabic letters typed more than one way, after the transform (which
// already takes the hamza and madda off alef, waw and yeh). 0 drops the letter.
char16_t FoldArabic(char16_t c)
{
    switch (c) {
    case u'\u0640': // tatweel
    case u'\u0670': // superscript alef
        return 0;
    case u'\u0622': case u'\u0623': case u'\u0625': case u'\u0671': // alef with madda, hamza, hamza below; wasla
        return u'\u0627';
    case u'\u0629': // teh marbuta
        return u'\u0647';
    case u'\u0649': case u'\u06CC': // alef maksura, Farsi yeh
        return u'\u064A';
    case u'\u06A9': // keheh
        return u'\u0643';
    default:
        return c >= u'\u064B' && c <= u'\u065F' ? 0 : c; // harakat
    }
}

// The fold of text written in ASCII and the Arabic letters whose
// compatibility form is themselves, without ICU: what the transform does to
// them (lower case; the hamza and madda off alef, waw, yeh and heh; the
// marks gone), then FoldArabic. False when text holds anything else.
bool FoldPlainArabic(QStringView text, QString* folded)
{
    folded->resize(text.size());
    qsizetype out = 0;
    for (QChar ch : text) {
        char16_t c = ch.unicode();
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
        } else if (c == 0x0624) { // waw with hamza
            c = 0x0648;
        } else if (c == 0x0626) { // yeh with hamza
            c = 0x064A;
        } else if (c == 0x06C0) { // heh with yeh above
            c = 0x06D5;
        } else if (c == 0x06C2) { // heh goal with hamza
            c = 0x06C1;
        } else if (c == 0x06D3) { // yeh barree with hamza
            c = 0x06D2;
        } else if (!((c >= 0x0621 && c <= 0x063A) || (c >= 0x0640 && c <= 0x065F) || (c >= 0x0660 && c <= 0x0674)
                     || (c >= 0x0679 && c <= 0x06D2) || c == 0x06D5)) {
            return false;
        }
        if ((c = FoldArabic(c)))
            (*folded)[out++] = QChar(c);
    }
    folded->truncate(out);
    return true;
}

bool IsWordCharacter(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

} // namespace

QString SearchFold(QStringView text)
{
    if (IsAscii(text))
        return text.toString().toLower();
    QString folded;
    // Most Arabic names: ICU's transform costs tens of microseconds a name.
    if (FoldPlainArabic(text, &folded))
        return folded;
    if (icu::Transliterator* transform = Transform()) {
        icu::UnicodeString work(reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
        if (const icu::Normalizer2* fold = CompatibilityFold()) {
            UErrorCode status = U_ZERO_ERROR;
            icu::UnicodeString folded = fold->normalize(work, status);
            if (U_SUCCESS(status))
                work = std::move(folded);
        }
        transform->transliterate(work);
        folded = QString(reinterpret_cast<const QChar*>(work.getBuffer()), work.length());
    } else {
        folded = text.toString().toLower();
    }
    qsizetype out = 0;
    for (qsizetype i = 0; i < folded.size(); ++i)
        if (const char16_t c = FoldArabic(folded[i].unicode()))
            folded[out++] = QChar(c);
    folded.truncate(out);
    return folded;
}

QStringList SearchWords(QStringView text)
{
    const QString folded = SearchFold(text);
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= folded.size();) {
        // A code point; an unpaired surrogate stands for itself, which is no letter.
        char32_t c = 0;
        qsizetype units = 1;
        if (i < folded.size()) {
            c = folded[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < folded.size() && folded[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(folded[i], folded[i + 1]);
                units = 2;
            }
        }
        const bool inWord = i < folded.size() && IsWordCharacter(c);
        if (inWord && start < 0) {
            start = i;
        } else if (!inWord && start >= 0) {
            words.append(folded.mid(start, i - start));
            start = -1;
        }
        i += units;
    }
    return words;
}

QString SearchIndexText(QStringView text)
{
    return SearchWords(text).join(QLatin1Char(' '));
}
