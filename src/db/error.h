#pragma once

#include <kadu2217/error.h>
