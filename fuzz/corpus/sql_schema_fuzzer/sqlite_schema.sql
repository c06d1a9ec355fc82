CREATE TABLE IF NOT EXISTS "notes"(id INTEGER PRIMARY KEY AUTOINCREMENT, body, [owner id] INT REFERENCES [users]);
CREATE TABLE sqlite_sequence(name,seq);
CREATE TABLE settings(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
CREATE TABLE 'kv'('k' blob, PRIMARY KEY (k), FOREIGN KEY (k) REFERENCES notes (body));
CREATE TRIGGER notes_touch AFTER UPDATE ON notes BEGIN
  UPDATE notes SET body = CASE WHEN new.body IS NULL THEN '' ELSE new.body END; SELECT 1;
END;
CREATE INDEX n ON notes(body);
