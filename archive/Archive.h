// Everything of the ".arq" archive toolkit in one include.
#pragma once

#include "ArcCrc32.h"
#include "ArcDecoder.h"
#include "ArcEntry.h"
#include "ArcStatus.h"
#include "ArcToolkit.h"
#include "ArcWildcard.h"
#include "ArcWriter.h"
