#pragma once
// What the fuzz targets share: the first bytes of an input choose a parser's settings (bet type,
// field size), the rest is the text; and a check that ends the run as a crash when a parser
// breaks a promise its callers rely on.

#include "core/racemodel/bettypes.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    uint8_t take()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    BetType betType() { return AllBetTypes[take() % AllBetTypes.size()]; }
    // 0 to 40: past every real field, and the degenerate ones.
    int highest() { return take() % 41; }
    QByteArray rest() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_data), qsizetype(m_size));
    }

private:
    const uint8_t *m_data;
    size_t m_size;
};

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Every ticket of the type over runners 1 to highest, in ascending runner numbers (the order of
// the analysis table's bare odds column).
inline std::vector<Ticket> ticketsByNumber(BetType type, int highest)
{
    std::vector<Ticket> out;
    const int size = ticketSize(type);
    const bool ordered = isOrdered(type);
    const bool sameAllowed = type == BetType::BracketQuinella;
    for (int a = 1; a <= highest; ++a) {
        if (size == 1) {
            out.push_back({a, 0, 0});
            continue;
        }
        for (int b = ordered ? 1 : a; b <= highest; ++b) {
            if (b == a && !sameAllowed)
                continue;
            if (size == 2) {
                out.push_back({a, b, 0});
                continue;
            }
            for (int c = ordered ? 1 : b + 1; c <= highest; ++c)
                if (c != a && c != b)
                    out.push_back({a, b, c});
        }
    }
    return out;
}
