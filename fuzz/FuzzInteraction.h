#pragma once
// The scripted user of the fuzz targets that run whole jobs: like the tests' fake, but an error
// box for anything other than velmaro::Error stops the process, since the job boundary turns
// every exception into an error box and the fuzzer would otherwise never see it.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "base/Error.h"
#include "support/FakeInteraction.h"

namespace velmaro::fuzz {

class FuzzInteraction : public testing::FakeInteraction {
public:
    void ShowError(const std::string& text) override {
        if (const std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const Error&) {
            } catch (...) {
                std::fprintf(stderr, "Excepción inesperada en el trabajo: %s\n", text.c_str());
                std::abort();
            }
        }
        FakeInteraction::ShowError(text);
    }
};

}  // namespace velmaro::fuzz
