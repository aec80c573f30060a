// The text an HTML fragment shows, for texts written in HTML in a questions file.

#include "content/texte_html.h"

#include <QHash>
#include <QRegularExpression>

namespace content {

namespace {

QString Entite(const QString& nom) {
    static const QHash<QString, char16_t> noms{
        {QStringLiteral("amp"), u'&'},     {QStringLiteral("lt"), u'<'},      {QStringLiteral("gt"), u'>'},
        {QStringLiteral("quot"), u'"'},    {QStringLiteral("apos"), u'\''},   {QStringLiteral("nbsp"), u'\u00a0'},
        {QStringLiteral("laquo"), u'«'},   {QStringLiteral("raquo"), u'»'},   {QStringLiteral("eacute"), u'é'},
        {QStringLiteral("egrave"), u'è'},  {QStringLiteral("ecirc"), u'ê'},   {QStringLiteral("euml"), u'ë'},
        {QStringLiteral("agrave"), u'à'},  {QStringLiteral("acirc"), u'â'},   {QStringLiteral("ccedil"), u'ç'},
        {QStringLiteral("icirc"), u'î'},   {QStringLiteral("iuml"), u'ï'},    {QStringLiteral("ocirc"), u'ô'},
        {QStringLiteral("ugrave"), u'ù'},  {QStringLiteral("ucirc"), u'û'},   {QStringLiteral("uuml"), u'ü'},
        {QStringLiteral("oelig"), u'œ'},   {QStringLiteral("Eacute"), u'É'},  {QStringLiteral("Egrave"), u'È'},
        {QStringLiteral("Agrave"), u'À'},  {QStringLiteral("Ccedil"), u'Ç'},  {QStringLiteral("OElig"), u'Œ'},
        {QStringLiteral("rsquo"), u'’'},   {QStringLiteral("lsquo"), u'‘'},   {QStringLiteral("ldquo"), u'“'},
        {QStringLiteral("rdquo"), u'”'},   {QStringLiteral("hellip"), u'…'},  {QStringLiteral("ndash"), u'–'},
        {QStringLiteral("mdash"), u'—'},   {QStringLiteral("deg"), u'°'},     {QStringLiteral("times"), u'×'},
        {QStringLiteral("micro"), u'µ'},   {QStringLiteral("Omega"), u'Ω'},   {QStringLiteral("euro"), u'€'}};
    if (nom.startsWith(u'#')) {
        bool ok = false;
        const uint code = nom.startsWith(u"#x", Qt::CaseInsensitive) ? nom.mid(2).toUInt(&ok, 16) : nom.mid(1).toUInt(&ok);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t c = code;
            return QString::fromUcs4(&c, 1);
        }
        return {};
    }
    const auto it = noms.find(nom);
    return it == noms.end() ? QString() : QString(QChar(*it));
}

}  // namespace

QString SansHtml(const QString& s) {
    QString texte;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'<') {
            const qsizetype fin = s.indexOf(u'>', i);
            if (fin < 0) {
                texte += QStringView(s).mid(i);
                break;
            }
            // Tags that break a line leave a space, so that words on either side stay apart.
            static const QRegularExpression coupe(QStringLiteral(R"(^/?\s*(br|p|div|li|ul|ol|tr|td|h\d)\b)"),
                                                  QRegularExpression::CaseInsensitiveOption);
            if (coupe.match(QStringView(s).mid(i + 1, fin - i - 1)).hasMatch()) texte += u' ';
            i = fin;
            continue;
        }
        texte += s[i];
    }
    QString plie;
    bool blanc = false;
    for (QChar c : texte) {
        const bool estBlanc = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
        if (estBlanc) {
            blanc = true;
            continue;
        }
        if (blanc && !plie.isEmpty()) plie += u' ';
        blanc = false;
        plie += c;
    }
    static const QRegularExpression entite(QStringLiteral(R"(&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,8});)"));
    QString out;
    qsizetype dernier = 0;
    for (auto it = entite.globalMatch(plie); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString c = Entite(m.captured(1));
        if (c.isEmpty()) continue;
        out += QStringView(plie).mid(dernier, m.capturedStart() - dernier);
        out += c;
        dernier = m.capturedEnd();
    }
    out += QStringView(plie).mid(dernier);
    return out;
}

}  // namespace content
