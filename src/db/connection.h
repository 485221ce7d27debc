#pragma once

#include <kadu2217/connection.h>
