#include "romanizedarabic.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

// One sound of a romanized word: a letter Arabic writes, a short vowel
// (written only at a word's start), or the hamza, whose seat its
// neighbours' vowels choose.
struct tagSound {
    enum Kind { Consonant, LongVowel, ShortVowel, Hamza } kind;
    QString arabic;
    QChar vowel; // a, i, u for vowels; the consonant's own letter otherwise
};

const QHash<QString, QString> kDigraphs = {
    {QStringLiteral("kh"), QStringLiteral("خ")}, {QStringLiteral("sh"), QStringLiteral("ش")},
    {QStringLiteral("th"), QStringLiteral("ث")}, {QStringLiteral("dh"), QStringLiteral("ذ")},
    {QStringLiteral("gh"), QStringLiteral("غ")},
};

const QHash<QChar, QString> kConsonants = {
    {u'b', QStringLiteral("ب")}, {u't', QStringLiteral("ت")}, {u'j', QStringLiteral("ج")}, {u'g', QStringLiteral("ج")},
    {u'ḩ', QStringLiteral("ح")}, {u'd', QStringLiteral("د")}, {u'r', QStringLiteral("ر")}, {u'z', QStringLiteral("ز")},
    {u's', QStringLiteral("س")}, {u'ş', QStringLiteral("ص")}, {u'ḑ', QStringLiteral("ض")}, {u'ţ', QStringLiteral("ط")},
    {u'ẓ', QStringLiteral("ظ")}, {u'‘', QStringLiteral("ع")}, {u'f', QStringLiteral("ف")}, {u'q', QStringLiteral("ق")},
    {u'k', QStringLiteral("ك")}, {u'l', QStringLiteral("ل")}, {u'm', QStringLiteral("م")}, {u'n', QStringLiteral("ن")},
    {u'h', QStringLiteral("ه")}, {u'w', QStringLiteral("و")}, {u'y', QStringLiteral("ي")},
};

// The article in its assimilated forms: "ash Sharqīyah" is "الشرقية".
const QStringList kArticles = {
    QStringLiteral("al"), QStringLiteral("an"), QStringLiteral("ar"), QStringLiteral("as"),
    QStringLiteral("ash"), QStringLiteral("at"), QStringLiteral("ath"), QStringLiteral("ad"), QStringLiteral("adh"),
    QStringLiteral("az"), QStringLiteral("aẓ"), QStringLiteral("aş"), QStringLiteral("aţ"), QStringLiteral("aḑ"),
};

// The marks of the system: a name without one is in some other spelling.
const QString kMarks = QStringLiteral("āīūḩşţḑẓ‘’á");

bool Sounds(const QString& word, QList<tagSound>* sounds)
{
    for (qsizetype i = 0; i < word.size();) {
        const QChar c = word[i];
        if (kDigraphs.contains(word.mid(i, 2))) {
            sounds->append({tagSound::Consonant, kDigraphs.value(word.mid(i, 2)), c});
            i += 2;
        } else if (kConsonants.contains(c)) {
            sounds->append({tagSound::Consonant, kConsonants.value(c), c});
            ++i;
        } else if (c == u'a' || c == u'i' || c == u'u') {
            sounds->append({tagSound::ShortVowel, QString(), c});
            ++i;
        } else if (c == u'ā' || c == u'á') {
            sounds->append({tagSound::LongVowel, QStringLiteral("ا"), u'a'});
            ++i;
        } else if (c == u'ī') {
            sounds->append({tagSound::LongVowel, QStringLiteral("ي"), u'i'});
            ++i;
        } else if (c == u'ū') {
            sounds->append({tagSound::LongVowel, QStringLiteral("و"), u'u'});
            ++i;
        } else if (c == u'’') {
            sounds->append({tagSound::Hamza, QString(), c});
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

QChar VowelAt(const QList<tagSound>& sounds, qsizetype i)
{
    return i >= 0 && i < sounds.size()
            && (sounds[i].kind == tagSound::ShortVowel || sounds[i].kind == tagSound::LongVowel)
        ? sounds[i].vowel
        : QChar();
}

QString HamzaSeat(const QList<tagSound>& sounds, qsizetype i)
{
    const QChar before = VowelAt(sounds, i - 1), after = VowelAt(sounds, i + 1);
    if (before == u'i' || after == u'i')
        return QStringLiteral("ئ");
    if (before == u'u' || after == u'u')
        return QStringLiteral("ؤ");
    if (i > 0 && sounds[i - 1].kind == tagSound::ShortVowel && before == u'a')
        return QStringLiteral("أ");
    return QStringLiteral("ء");
}

// One word; construct is true where another word follows, so that a final
// "at" is the bound form of a teh marbuta ("Madīnat an Naşr").
QString Word(const QString& word, bool construct)
{
    QList<tagSound> sounds;
    if (!Sounds(word, &sounds) || sounds.isEmpty())
        return QString();
    // A word's first vowel is written on an alef; a leading hamza only says so.
    if (sounds.first().kind == tagSound::Hamza)
        sounds.removeFirst();
    QString out;
    qsizetype last = sounds.size() - 1;
    QString ending;
    const auto isShortA = [&](qsizetype i) { return sounds[i].kind == tagSound::ShortVowel && sounds[i].vowel == u'a'; };
    if (sounds.size() > 3 && sounds[last].kind == tagSound::Consonant && isShortA(last - 1)
        && (sounds[last].vowel == u'h' || (construct && sounds[last].vowel == u't'))) {
        ending = QStringLiteral("ة");
        last -= 2;
    } else if (!word.isEmpty() && word.back() == u'á') {
        ending = QStringLiteral("ى");
        --last;
    }
    for (qsizetype i = 0; i <= last; ++i) {
        const tagSound& s = sounds[i];
        if (i == 0 && s.kind == tagSound::ShortVowel) {
            out += s.vowel == u'i' ? QStringLiteral("إ") : QStringLiteral("أ");
        } else if (i == 0 && s.kind == tagSound::LongVowel) {
            out += s.vowel == u'a' ? QStringLiteral("آ") : s.vowel == u'i' ? QStringLiteral("إي") : QStringLiteral("أو");
        } else if (s.kind == tagSound::Hamza) {
            out += HamzaSeat(sounds, i);
        } else if (s.kind == tagSound::Consonant || s.kind == tagSound::LongVowel) {
            // A doubled consonant is written once (its shadda is not written),
            // as is the y of "īy" and the w of "ūw".
            const bool repeat = i > 0 && sounds[i - 1].kind != tagSound::ShortVowel && sounds[i - 1].kind != tagSound::Hamza
                && sounds[i - 1].arabic == s.arabic;
            if (!repeat)
                out += s.arabic;
        }
    }
    return out.isEmpty() ? QString() : out + ending;
}

} // namespace

QString ArabicFromRomanization(const QString& name)
{
    const QString text = name.normalized(QString::NormalizationForm_C).toLower().replace(QStringLiteral("z\u0327"), QStringLiteral("ẓ"));
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return kMarks.contains(c); }))
        return QString();
    const QStringList words = text.split(QRegularExpression(QStringLiteral("[ -]")), Qt::SkipEmptyParts);
    QStringList out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool article = kArticles.contains(words[i]) && i + 1 < words.size();
        const bool conjunction = words[i] == u"wa" && i + 1 < words.size();
        if (article || conjunction)
            ++i;
        const QString arabic = Word(words[i], i + 1 < words.size());
        if (arabic.isEmpty())
            return QString();
        out << (article ? QStringLiteral("ال") : conjunction ? QStringLiteral("و") : QString()) + arabic;
    }
    return out.join(u' ');
}
