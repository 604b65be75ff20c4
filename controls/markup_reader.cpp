// controls/markup_reader.cpp
#include "controls/markup_reader.h"

#include <cstdlib>
#include <optional>

namespace {

struct TagName
{
    const char *name;
    MarkupTag tag;
};

constexpr TagName kTags[] = {
    {"b", MarkupTag::Bold},           {"i", MarkupTag::Italic},        {"u", MarkupTag::Underline},
    {"s", MarkupTag::Strike},         {"br", MarkupTag::Break},        {"t", MarkupTag::Tab},
    {"ct", MarkupTag::Color},         {"cti", MarkupTag::ColorIndex},  {"cb", MarkupTag::Back},
    {"cbi", MarkupTag::BackIndex},    {"al", MarkupTag::AlignLeft},    {"al_l", MarkupTag::AlignLeft},
    {"al_c", MarkupTag::AlignCenter}, {"al_r", MarkupTag::AlignRight}, {"hr", MarkupTag::Rule},
};

std::optional<MarkupTag> findTag(const QString &name)
{
    for (const TagName &entry : kTags) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.tag;
    }
    return std::nullopt;
}

class MarkupReader
{
  public:
    std::vector<MarkupItem> read(const QString &markup);

  private:
    enum class State { Text, TagName, Skip, AfterName, Value };

    void readText(QChar c);
    void readTagName(QChar c);
    void readAfterName(QChar c);
    void readValue(QChar c);
    void flushRun();
    void emitTag(MarkupTag tag);
    void takeValue();

    State mState = State::Text;
    QString mRun;
    QString mName;
    QString mValue;
    MarkupItem mTag;
    std::vector<MarkupItem> mItems;
};

std::vector<MarkupItem> MarkupReader::read(const QString &markup)
{
    for (const QChar c : markup) {
        switch (mState) {
        case State::Text: readText(c); break;
        case State::TagName: readTagName(c); break;
        case State::Skip:
            if (c == u'>')
                mState = State::Text;
            break;
        case State::AfterName: readAfterName(c); break;
        case State::Value: readValue(c); break;
        }
    }
    flushRun();
    return std::move(mItems);
}

void MarkupReader::readText(QChar c)
{
    if (c == u'\t') {
        emitTag(MarkupTag::Tab);
    } else if (c == u'\n') {
        emitTag(MarkupTag::Break);
    } else if (c == u'<') {
        mState = State::TagName;
        mName.clear();
        mTag = MarkupItem();
    } else if (c != u'\r') {
        mRun += c;
    }
}

void MarkupReader::readTagName(QChar c)
{
    if (mName.isEmpty() && !mTag.closing && c == u'/') {
        mTag.closing = true;
        return;
    }
    if (mName.isEmpty() && !mTag.closing && c == u'<') {
        mRun += c;
        mState = State::Text;
        return;
    }
    if (c != u' ' && c != u'=' && c != u'>') {
        mName += c;
        return;
    }
    const std::optional<MarkupTag> tag = findTag(mName);
    if (!tag) {
        mState = c == u'>' ? State::Text : State::Skip;
        return;
    }
    mTag.tag = *tag;
    mState = State::AfterName;
    if (c != u' ')
        readAfterName(c);
}

void MarkupReader::readAfterName(QChar c)
{
    if (c == u'=') {
        mValue.clear();
        mState = State::Value;
    } else if (c == u'>') {
        emitTag(mTag.tag);
        mState = State::Text;
    }
}

void MarkupReader::readValue(QChar c)
{
    if (c != u' ' && c != u'%' && c != u'>') {
        mValue += c;
        return;
    }
    takeValue();
    mTag.percent = c == u'%';
    mState = State::AfterName;
    if (c == u'>')
        readAfterName(c);
}

void MarkupReader::takeValue()
{
    const QByteArray digits = mValue.toLatin1();
    if (digits.isEmpty())
        return;
    mTag.hasValue = true;
    mTag.value = std::strtol(digits.constData(), nullptr, 0);
}

void MarkupReader::flushRun()
{
    if (mRun.isEmpty())
        return;
    MarkupItem item;
    item.text = mRun;
    mItems.push_back(std::move(item));
    mRun.clear();
}

void MarkupReader::emitTag(MarkupTag tag)
{
    flushRun();
    MarkupItem item = mState == State::Text ? MarkupItem() : mTag;
    item.isTag = true;
    item.tag = tag;
    mItems.push_back(std::move(item));
}

} // namespace

std::vector<MarkupItem> readMarkup(const QString &markup)
{
    return MarkupReader().read(markup);
}
