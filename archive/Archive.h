// Everything of the ".arq" archive toolkit in one include.
#pragma once

#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "archive/ArcEntry.h"
#include "archive/ArcStatus.h"
#include "archive/ArcToolkit.h"
#include "archive/ArcWildcard.h"
#include "archive/ArcWriter.h"
