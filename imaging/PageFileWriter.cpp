#include "imaging/PageFileWriter.h"

PageFileWriter::~PageFileWriter() = default;
