// State of the open design (placeholder: filled in by the database work).
#pragma once

namespace lav::db {
struct DesignState {};
}  // namespace lav::db
