// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"

#include <doctest.h>

// Checks that the expression throws PlatformError with the given number.
#define CHECK_ERROR_NUMBER(expression, number)                                                     \
    do {                                                                                           \
        int thrown_ = 0;                                                                           \
        try {                                                                                      \
            expression;                                                                            \
        } catch (const velmora::PlatformError& error_) {                                           \
            thrown_ = error_.Number;                                                               \
        }                                                                                          \
        CHECK_MESSAGE(thrown_ == (number), #expression " threw " << thrown_);                      \
    } while (false)
