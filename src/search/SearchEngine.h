#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a search looks at.
struct SearchOptions
{
    bool texts = true; // the stored positions
    bool macros = true;
    bool caseSensitive = false;
    int onlyBox = 0; // 1..99 keeps the search to that box; 0 searches all
};

// One found item: a position or a macro, with the whole stored text (for a macro the record:
// name, ">", body).
struct SearchHit
{
    enum class Kind
    {
        None,
        Text,
        Macro,
    };
    Kind kind = Kind::None;
    int box = 0;
    int number = 0; // position or macro number
    QString text;

    bool found() const { return kind != Kind::None; }
};

// Finds a text in the positions, then in the macros, of boxes 1 to 99, one hit per find():
// positions in order of box then position, then macros in order of box then macro number. The
// texts and the macros each keep where their last hit was, so the next find() continues after
// it; a find() without a hit starts the sequence over. An empty search text matches every
// stored item. Every find() reads the files afresh, so changes made between finds count. A file
// that cannot be read is passed over and named in the outcome, never taken for one without a
// hit.
class SearchEngine
{
public:
    explicit SearchEngine(const QString& dataFolder);

    struct Outcome
    {
        bool searched = false; // false when neither texts nor macros were to be searched
        SearchHit hit;
        // No hit, after an earlier find of this sequence had one: the hits ran out.
        bool ranOut = false;
        // Why each file this find passed over could not be read (the message names the file):
        // a hit there could not be seen.
        QStringList unreadable;
    };
    Outcome find(const QString& needle, const SearchOptions& options);

    // Every hit, in the order repeated find() calls show them, reading each file once and
    // several files at a time. A hit's text is only its first line (up to the first CR): what a
    // listing shows, without decoding the rest. Leaves where find() goes on as it is.
    Outcome findAll(const QString& needle, const SearchOptions& options,
        const std::function<void(const SearchHit&)>& each) const;

    // Starts the next find from the beginning.
    void reset();

    // The last hit shown, or none after a reset or a find without a hit.
    const SearchHit& current() const { return m_current; }
    int textHitBox() const { return m_textBox; }
    int textHitPosition() const { return m_textPosition; }
    int macroHitBox() const { return m_macroBox; }
    int macroHitNumber() const { return m_macroNumber; }

private:
    // The first hit after position `after` of `box` (0: from the start), in the box files or
    // the macro files; box and after move to the hit.
    bool findIn(bool macros, const QString& needle, const SearchOptions& options, int& box, int& after,
        Outcome& outcome) const;

    QString m_folder;
    int m_textBox = 0;
    int m_textPosition = 0;
    int m_macroBox = 0;
    int m_macroNumber = 0;
    SearchHit m_current;
};
