#pragma once

#include <optional>

#include <QByteArray>
#include <QStringList>

#include "platform/ClipboardService.h"

/// The owner of the clipboard as a snapshot is read from it: the formats it offers, and one
/// transfer per format. Implemented over a windowing system's connection, or in memory by tests.
class ClipboardTransfer
{
public:
    enum class Outcome
    {
        Done,
        Refused,    ///< the owner answered without the data
        TimedOut,   ///< the owner did not answer in time, or the transfer stalled
        TooLarge,   ///< more than `maxFormatBytes`: skipped, nothing kept
        Interrupted ///< the clipboard changed hands or the reader is stopping
    };
    struct Result
    {
        Outcome outcome = Outcome::Refused;
        QByteArray bytes;
    };

    /// A larger format is skipped rather than held in memory.
    static constexpr qint64 maxFormatBytes = qint64(64) << 20;
    /// Only this many entries of an owner's list of formats are looked at.
    static constexpr int maxFormats = 1024;

    virtual ~ClipboardTransfer() = default;
    /// The offered formats (MIME types and the windowing system's own names); none when the
    /// owner did not answer.
    virtual std::optional<QStringList> formats(Outcome* outcome) = 0;
    virtual Result fetch(const QString& format) = 0;
};

namespace ClipboardSnapshotBuilder {

/// Reads the formats the history cares about, in the order of precedence. A concealed hint ends
/// the read. After one format timed out or the clipboard changed hands nothing more is asked, so
/// a hung owner costs one time-out per snapshot. Prints one line per skipped or unanswered read.
ClipboardSnapshot build(ClipboardTransfer& transfer);

/// Every format `build` may ask for, so that a transfer can recognise them among the offered
/// ones without naming each offered format.
const QStringList& wantedFormats();

/// The entries of a text/uri-list, without comment and blank lines.
QStringList uriListEntries(const QByteArray& bytes);

} // namespace ClipboardSnapshotBuilder
