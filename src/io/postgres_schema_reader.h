// The tables and foreign keys of a live PostgreSQL database, read through libpq from its catalog.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "database_schema.h"

// Whether the text names a PostgreSQL database as a URI ("postgresql://" or "postgres://").
bool IsPostgresUri(std::string_view text);

// Connects with the connection text (a URI or libpq's key=value string) and reads every table of the
// user's schemas (not views, not the system's), columns in order with their types as the catalog
// formats them, NOT NULL, primary keys and foreign keys. When the server asks for a password the
// connection text does not give, askPassword is asked once (nothing: give up); the password is held
// only for the connection and never written anywhere. databaseName, when given, gets the name of the
// database connected to. Raises EToolkitError with libpq's reason (never the password) when the
// connection is refused or the catalog cannot be read.
TDatabaseSchema ReadPostgresSchema(const std::string& connection,
                                   const std::function<std::optional<std::string>()>& askPassword,
                                   std::string* databaseName = nullptr);
