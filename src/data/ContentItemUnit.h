#pragma once

#include "TObject.h"

#include <QString>

#include <algorithm>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

// Records of community content as the client could hold it in memory, and the guarded lists
// that own them. Nothing fills them yet.
class TQuestionItem : public TObject {
    TALVIK_PROPERTY(int, OfferCent)
    TALVIK_PROPERTY(int, AnswerCount)
    TALVIK_PROPERTY(QString, LoginName)
    TALVIK_PROPERTY(QString, Tittle)
    TALVIK_PROPERTY(QString, Date)
    TALVIK_PROPERTY(QString, State)
    TALVIK_PROPERTY(int, Classification)
    TALVIK_PROPERTY(QString, Content)
    TALVIK_PROPERTY(QString, URL)
    TALVIK_PROPERTY(int, hints)
    TALVIK_PROPERTY(int, StateInt)
};

class TAnswerItem : public TObject {
    TALVIK_PROPERTY(QString, Author)
    TALVIK_PROPERTY(QString, Date)
    TALVIK_PROPERTY(QString, Tittle)
    TALVIK_PROPERTY(int, Classification)
    TALVIK_PROPERTY(int, OfferCent)
    TALVIK_PROPERTY(QString, URL)
    TALVIK_PROPERTY(QString, State)
    TALVIK_PROPERTY(int, StateInt)
};

class TResourcesItem : public TObject {
    TALVIK_PROPERTY(QString, Author)
    TALVIK_PROPERTY(QString, FileName)
    TALVIK_PROPERTY(QString, Date)
    TALVIK_PROPERTY(int, FileSize)
    TALVIK_PROPERTY(QString, fileurl)
    TALVIK_PROPERTY(int, DownCount)

public:
    int FileType() const; // the kind of file, by its extension (letter case counts)
};

class TCollectURLItem : public TObject {
    TALVIK_PROPERTY(QString, Date)
    TALVIK_PROPERTY(QString, Explain)
    TALVIK_PROPERTY(QString, Tittle)
    TALVIK_PROPERTY(int, Classification)
    TALVIK_PROPERTY(QString, URL)
};

// A list that owns its items, every operation under the list's own lock. A reference returned by
// Item is not protected once the call has returned.
template <typename TItem>
class TGuardedList : public TObject {
public:
    ~TGuardedList() override { Clear(); }

    void Add(TItem *item) // takes ownership; an item already in the list is not added again
    {
        std::lock_guard<std::mutex> locker(FLock);
        const auto same = [item](const std::unique_ptr<TItem> &held) { return held.get() == item; };
        if (item && std::none_of(FList.begin(), FList.end(), same))
            FList.emplace_back(item);
    }

    void Clear()
    {
        std::lock_guard<std::mutex> locker(FLock);
        FList.clear();
    }

    TItem *Item(int AIndex) const
    {
        std::lock_guard<std::mutex> locker(FLock);
        if (AIndex < 0 || size_t(AIndex) >= FList.size())
            throw std::out_of_range("list index out of bounds (" + std::to_string(AIndex) + ")");
        return FList[size_t(AIndex)].get();
    }

    int Count() const
    {
        std::lock_guard<std::mutex> locker(FLock);
        return int(FList.size());
    }

private:
    mutable std::mutex FLock;
    std::vector<std::unique_ptr<TItem>> FList;
};

using TQuestionList = TGuardedList<TQuestionItem>;
using TAnswerList = TGuardedList<TAnswerItem>;
using TResourcesList = TGuardedList<TResourcesItem>;
using TCollectURLList = TGuardedList<TCollectURLItem>;
