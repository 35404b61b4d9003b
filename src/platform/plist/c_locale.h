#pragma once

#include <locale.h>

#include <clocale>

namespace voltaro {

// libplist reads and writes reals with the C library's number functions, which follow the thread's
// locale: under a locale with a decimal comma "0.1" would read as 0. Every libplist call runs
// inside one of these, which puts the calling thread in the C locale until the scope ends.
class ScopedCLocale {
public:
    ScopedCLocale() {
        static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
        previous_ = cLocale != nullptr ? ::uselocale(cLocale) : nullptr;
    }
    ~ScopedCLocale() {
        if (previous_ != nullptr) ::uselocale(previous_);
    }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t previous_ = nullptr;
};

}  // namespace voltaro
