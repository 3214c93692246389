#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kalido {

// Wildcard masks compiled into deterministic automata over 16-bit character codes.
// "*" matches any run of characters, "?" one character, "#" one decimal digit; every other
// character matches itself. A mask matches a name as a whole; masks and names are lower-cased,
// so letter case does not matter.

class TAutoItem;

// Target states of one state for one character code, without duplicates.
using TLink = std::vector<TAutoItem *>;
// An ordered list of states used as a set.
using TProps = std::vector<TAutoItem *>;

// One state. Transitions are kept sparse: codes that have a list of their own carry it in
// Codes (sorted by code), every other code uses Other. The list for a code is therefore
// Codes[code] when present, else Other.
class TAutoItem
{
public:
    const TLink &Links(char16_t code) const;
    // Adds Target to the list of one code / of every code, when it is not there yet.
    void AddLink(char16_t code, TAutoItem *target);
    void AddLinkAll(TAutoItem *target);

    TLink Other;
    std::vector<std::pair<char16_t, TLink>> Codes;
    bool Visited = false;
    std::bitset<256> AcceptSet;
    // The mask number this state reports; 0 when it does not accept.
    uint8_t AcceptValue = 0;
    // For a combined state, the ordinary states it stands for.
    TProps Constituents;
    // Position in the automaton's States.
    int Index = 0;

private:
    TLink &linkFor(char16_t code);
};

// One automaton: mask patterns merged by subset construction.
class TAuto
{
public:
    TAuto() = default;
    TAuto(const TAuto &) = delete;
    TAuto &operator=(const TAuto &) = delete;

    // Adds the nondeterministic states of one mask; Compile merges them in.
    void AddPattern(QStringView mask, int number);
    // Subset construction from Initial. Returns false, leaving the automaton as it was before
    // the masks added since the last Compile, when the result would exceed StateLimit states.
    bool Compile();
    // The accepting masks and the reported number for a whole text; empty and 0 when it fails.
    std::pair<std::bitset<256>, uint8_t> Run(QStringView text) const;
    uint8_t RunValue(QStringView text) const;
    // RunValue over Name with the letters A to Z lower-cased and a "." appended when Name has
    // none; -1 when Name holds a character above 127 or the automaton is not compiled.
    int RunName(QStringView name) const;
    int StateCount() const { return int(States.size()); }

    // An automaton never grows past this many states by one Compile; a mask that would make it
    // (such as *a followed by many ?) is run without compiling instead.
    static constexpr int StateLimit = 1024;

    TAutoItem *Start = nullptr;
    TProps Initial;
    std::vector<std::unique_ptr<TAutoItem>> States;
    // Runs the masks state set by state set instead of through a compiled Start.
    bool Simulated = false;

private:
    TAutoItem *NewState();
    void expandInto(TAutoItem *state, TProps &out) const;
    bool expand(TAutoItem *s, std::vector<TAutoItem *> &pending);
    TAutoItem *resolve(const TProps &t);
    void buildAsciiTable();

    // Per state: the target index for the codes 0 to 127, -1 for none. Built by Compile.
    std::vector<std::array<int32_t, 128>> ascii_;
    std::vector<uint8_t> acceptValues_;
    // Combined states of the current Compile by their sorted constituent indexes.
    std::map<std::vector<int>, TAutoItem *> combined_;
    // States that the last successful Compile left; a failed one cuts States back to them.
    size_t compiledCount_ = 0;
    // Marks for building ordered sets without duplicates.
    mutable std::vector<uint32_t> stamp_;
    mutable uint32_t generation_ = 0;
};

// The matcher: masks spread over automata of about 50 states each.
class TAutoManager
{
public:
    // Lower-cases the letters A to Z of Mask and adds it under Number (1 to 255; larger numbers
    // report 255).
    void AddMask(const QString &mask, int number);
    // The number of the first mask, in the order added, that matches Text as it is; 0 for none.
    uint8_t Match(QStringView text) const;
    // Whether Name matches a mask. A name without "." is tested with one appended; the name is
    // lower-cased first.
    bool Matches(QStringView name) const;

    std::vector<std::unique_ptr<TAuto>> Autos;
};

// Splits MaskList at "," and ";" and adds word i (from 1), lower-cased, as mask i.
std::unique_ptr<TAutoManager> BuildMatcher(const QString &maskList);

} // namespace kalido
