#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

/// Recognises secrets in copied text: private key blocks, well-known access tokens, payment
/// card numbers. Local, linear in the text's length, no regular expressions. Any thread.
namespace SensitiveText {

/// Where a matcher found a secret: [begin, end) of the text.
struct Span
{
    qsizetype begin = 0;
    qsizetype end = 0;
};

/// Tries the text at `pos`, where a secret of the kind would start (the character before is
/// not part of a word). Returns the span found, or none. Work is bounded per call.
using Matcher = std::optional<Span> (*)(QStringView text, qsizetype pos);

/// One kind of secret. Adding a kind is one row in the table (SensitiveText.cpp).
struct Kind
{
    /// Stored in the settings (the kinds the user turned off); never changes once released.
    const char* id;
    /// Localisation key of the name shown in the panel and the preferences.
    const char* nameId;
    /// The characters a secret of this kind can start with.
    const char* firstCharacters;
    Matcher matcher;
};

/// Every kind, in the order the preferences list them.
const QList<Kind>& kinds();
/// The kind with this id, or none.
const Kind* kind(const QString& id);

/// What was found: the kind and the last four characters of the secret (what a masked row
/// shows so the user can tell items apart).
struct Match
{
    const Kind* kind = nullptr;
    QString lastFour;
};

/// The first secret in `text` of a kind not listed in `disabledKinds` (ids), or none. A text
/// holding one is sensitive as a whole.
std::optional<Match> find(QStringView text, const QStringList& disabledKinds = {});

/// The Luhn check of a string of digits.
bool passesLuhn(QStringView digits);

} // namespace SensitiveText
