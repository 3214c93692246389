#include "cmdline/AutoMatcher.h"

#include "util/Text.h"

#include <algorithm>

namespace kalido {

namespace {

void addUnique(TLink &link, TAutoItem *target)
{
    if (std::find(link.begin(), link.end(), target) == link.end())
        link.push_back(target);
}

template <class Codes> auto findCode(Codes &codes, char16_t code)
{
    return std::lower_bound(codes.begin(), codes.end(), code,
                            [](const auto &e, char16_t c) { return e.first < c; });
}

} // namespace

const TLink &TAutoItem::Links(char16_t code) const
{
    const auto it = findCode(Codes, code);
    return it != Codes.end() && it->first == code ? it->second : Other;
}

TLink &TAutoItem::linkFor(char16_t code)
{
    auto it = findCode(Codes, code);
    if (it == Codes.end() || it->first != code)
        it = Codes.insert(it, {code, Other});
    return it->second;
}

void TAutoItem::AddLink(char16_t code, TAutoItem *target)
{
    addUnique(linkFor(code), target);
}

void TAutoItem::AddLinkAll(TAutoItem *target)
{
    addUnique(Other, target);
    for (auto &entry : Codes)
        addUnique(entry.second, target);
}

TAutoItem *TAuto::NewState()
{
    auto state = std::make_unique<TAutoItem>();
    state->Index = int(States.size());
    States.push_back(std::move(state));
    return States.back().get();
}

void TAuto::AddPattern(QStringView mask, int number)
{
    TAutoItem *cur = NewState();
    Initial.push_back(cur);
    for (QChar ch : mask) {
        TAutoItem *next;
        switch (ch.unicode()) {
        case u'#':
            next = NewState();
            for (char16_t d = u'0'; d <= u'9'; ++d)
                cur->AddLink(d, next);
            break;
        case u'*':
            cur->AddLinkAll(cur);
            next = cur;
            break;
        case u'?':
            next = NewState();
            cur->AddLinkAll(next);
            break;
        default:
            next = NewState();
            cur->AddLink(ch.unicode(), next);
        }
        cur = next;
    }
    const int value = std::clamp(number, 0, 255);
    cur->AcceptSet.reset();
    cur->AcceptSet.set(size_t(value));
    cur->AcceptValue = uint8_t(value);
}

// Adds the ordinary states that State stands for to Out, skipping those already marked with
// the current generation.
void TAuto::expandInto(TAutoItem *state, TProps &out) const
{
    if (stamp_.size() < States.size())
        stamp_.resize(States.size() + States.size() / 2 + 16, 0);
    auto take = [&](TAutoItem *s) {
        if (stamp_[size_t(s->Index)] != generation_) {
            stamp_[size_t(s->Index)] = generation_;
            out.push_back(s);
        }
    };
    if (state->Constituents.empty())
        take(state);
    else
        for (TAutoItem *c : state->Constituents)
            take(c);
}

TAutoItem *TAuto::resolve(const TProps &t)
{
    if (t.empty())
        return nullptr;
    if (t.size() == 1)
        return t.front();
    std::vector<int> key;
    key.reserve(t.size());
    for (TAutoItem *s : t)
        key.push_back(s->Index);
    std::sort(key.begin(), key.end());
    const auto it = combined_.find(key);
    if (it != combined_.end())
        return it->second;
    TAutoItem *r = NewState();
    r->Constituents = t;
    for (TAutoItem *s : t) {
        r->AcceptSet |= s->AcceptSet;
        if (r->AcceptValue == 0)
            r->AcceptValue = s->AcceptValue;
    }
    combined_.emplace(std::move(key), r);
    return r;
}

bool TAuto::expand(TAutoItem *s, std::vector<TAutoItem *> &pending)
{
    TProps t;
    if (!s->Constituents.empty()) {
        // Codes that some constituent lists on their own; all other codes share one target set.
        std::vector<char16_t> codes;
        for (TAutoItem *c : s->Constituents)
            for (const auto &entry : c->Codes)
                codes.push_back(entry.first);
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());

        ++generation_;
        for (TAutoItem *c : s->Constituents)
            for (TAutoItem *target : c->Other)
                expandInto(target, t);
        TAutoItem *other = resolve(t);

        std::vector<std::pair<char16_t, TLink>> own;
        for (char16_t code : codes) {
            t.clear();
            ++generation_;
            for (TAutoItem *c : s->Constituents)
                for (TAutoItem *target : c->Links(code))
                    expandInto(target, t);
            TAutoItem *r = resolve(t);
            if (r != other)
                own.push_back({code, r ? TLink{r} : TLink{}});
        }
        s->Other = other ? TLink{other} : TLink{};
        s->Codes = std::move(own);
    } else {
        auto merge = [&](TLink &link) {
            if (link.size() <= 1)
                return;
            t.clear();
            ++generation_;
            for (TAutoItem *target : link)
                expandInto(target, t);
            link = TLink{resolve(t)};
        };
        merge(s->Other);
        for (auto &entry : s->Codes)
            merge(entry.second);
    }
    s->Visited = true;
    if (States.size() > compiledCount_ + size_t(StateLimit))
        return false;

    auto follow = [&](const TLink &link) {
        if (link.size() == 1 && !link.front()->Visited)
            pending.push_back(link.front());
    };
    for (auto it = s->Codes.rbegin(); it != s->Codes.rend(); ++it)
        follow(it->second);
    follow(s->Other);
    return true;
}

bool TAuto::Compile()
{
    TAutoItem *oldStart = Start;
    for (auto &state : States) {
        state->Constituents.clear();
        state->Visited = false;
    }
    combined_.clear();

    Start = NewState();
    TProps first;
    ++generation_;
    for (TAutoItem *s : Initial)
        expandInto(s, first);
    Start->Constituents = first;
    // The start state accepts what its constituents accept (an empty mask or one of stars), as
    // any other combined state does; otherwise a set that returns to it would lose them.
    for (TAutoItem *s : first) {
        Start->AcceptSet |= s->AcceptSet;
        if (Start->AcceptValue == 0)
            Start->AcceptValue = s->AcceptValue;
    }
    {
        std::vector<int> key;
        for (TAutoItem *s : first)
            key.push_back(s->Index);
        std::sort(key.begin(), key.end());
        combined_.emplace(std::move(key), Start);
    }

    std::vector<TAutoItem *> pending{Start};
    bool ok = true;
    while (ok && !pending.empty()) {
        TAutoItem *s = pending.back();
        pending.pop_back();
        if (!s->Visited)
            ok = expand(s, pending);
    }
    combined_.clear();

    if (!ok) {
        // Earlier states are untouched by a Compile (their transitions are already single), so
        // cutting the list back restores the automaton of the last Compile.
        States.resize(compiledCount_);
        Start = oldStart;
        Initial.clear();
        if (Start)
            Initial.push_back(Start);
        for (auto &state : States)
            state->Constituents.clear();
        return false;
    }
    Initial.assign(1, Start);
    compiledCount_ = States.size();
    buildAsciiTable();
    return true;
}

void TAuto::buildAsciiTable()
{
    ascii_.resize(States.size());
    acceptValues_.resize(States.size());
    for (size_t i = 0; i < States.size(); ++i)
        acceptValues_[i] = States[i]->AcceptValue;
    for (size_t i = 0; i < States.size(); ++i) {
        const TAutoItem &s = *States[i];
        std::array<int32_t, 128> &row = ascii_[i];
        const int32_t other = s.Other.size() == 1 ? s.Other.front()->Index : -1;
        row.fill(other);
        for (const auto &entry : s.Codes) {
            if (entry.first >= 128)
                break;
            row[entry.first] = entry.second.size() == 1 ? entry.second.front()->Index : -1;
        }
    }
}

std::pair<std::bitset<256>, uint8_t> TAuto::Run(QStringView text) const
{
    if (Simulated) {
        std::vector<uint32_t> mark(States.size(), 0);
        uint32_t gen = 1;
        TProps cur = Initial;
        TProps next;
        for (QChar ch : text) {
            ++gen;
            next.clear();
            for (TAutoItem *s : cur)
                for (TAutoItem *target : s->Links(ch.unicode()))
                    if (mark[size_t(target->Index)] != gen) {
                        mark[size_t(target->Index)] = gen;
                        next.push_back(target);
                    }
            if (next.empty())
                return {{}, 0};
            std::swap(cur, next);
        }
        std::pair<std::bitset<256>, uint8_t> result{{}, 0};
        for (TAutoItem *s : cur) {
            result.first |= s->AcceptSet;
            if (result.second == 0)
                result.second = s->AcceptValue;
        }
        return result;
    }
    if (!Start)
        return {{}, 0};
    const TAutoItem *cur = Start;
    for (QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code < 128) {
            const int32_t next = ascii_[size_t(cur->Index)][code];
            if (next < 0)
                return {{}, 0};
            cur = States[size_t(next)].get();
        } else {
            const TLink &link = cur->Links(code);
            if (link.size() != 1)
                return {{}, 0};
            cur = link.front();
        }
    }
    return {cur->AcceptSet, cur->AcceptValue};
}

uint8_t TAuto::RunValue(QStringView text) const
{
    if (Simulated)
        return Run(text).second;
    if (!Start)
        return 0;
    int32_t cur = Start->Index;
    for (QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code < 128) {
            cur = ascii_[size_t(cur)][code];
        } else {
            const TLink &link = States[size_t(cur)]->Links(code);
            cur = link.size() == 1 ? link.front()->Index : -1;
        }
        if (cur < 0)
            return 0;
    }
    return States[size_t(cur)]->AcceptValue;
}

int TAuto::RunName(QStringView name) const
{
    if (Simulated || !Start)
        return -1;
    const std::array<int32_t, 128> *table = ascii_.data();
    int32_t cur = Start->Index;
    bool dot = false;
    for (QChar ch : name) {
        char16_t c = ch.unicode();
        if (c >= 128)
            return -1;
        if (c >= u'A' && c <= u'Z')
            c += 32;
        dot |= c == u'.';
        cur = table[cur][c];
        if (cur < 0)
            return 0;
    }
    if (!dot && (cur = table[cur][u'.']) < 0)
        return 0;
    return acceptValues_[size_t(cur)];
}

void TAutoManager::AddMask(const QString &mask, int number)
{
    const QString lowered = LowerAscii(mask);
    if (Autos.empty() || Autos.back()->Simulated || Autos.back()->StateCount() > 50)
        Autos.push_back(std::make_unique<TAuto>());
    TAuto *target = Autos.back().get();
    target->AddPattern(lowered, number);
    if (target->Compile())
        return;
    // Too many states for one automaton: this mask is run state set by state set instead.
    if (!target->States.empty()) {
        Autos.push_back(std::make_unique<TAuto>());
        target = Autos.back().get();
    }
    target->Simulated = true;
    target->AddPattern(lowered, number);
}

uint8_t TAutoManager::Match(QStringView text) const
{
    for (const auto &a : Autos)
        if (const uint8_t v = a->RunValue(text))
            return v;
    return 0;
}

bool TAutoManager::Matches(QStringView name) const
{
    // Names of plain ASCII go through the tables in one pass each; anything else is lower-cased
    // by the locale's rules first.
    bool slow = false;
    for (const auto &a : Autos) {
        const int v = a->RunName(name);
        if (v > 0)
            return true;
        if (v < 0) {
            slow = true;
            break;
        }
    }
    if (!slow)
        return false;
    QString full = name.toString();
    if (!name.contains(u'.'))
        full += u'.';
    return Match(full.toLower()) != 0;
}

std::unique_ptr<TAutoManager> BuildMatcher(const QString &maskList)
{
    auto manager = std::make_unique<TAutoManager>();
    int number = 0;
    qsizetype from = 0;
    const qsizetype len = maskList.size();
    while (from < len) {
        qsizetype to = from;
        while (to < len && maskList[to] != u',' && maskList[to] != u';')
            ++to;
        if (to > from)
            manager->AddMask(maskList.mid(from, to - from).toLower(), ++number);
        from = to + 1;
    }
    return manager;
}

} // namespace kalido
