-- The public schema's tables as the information schema tells them, written as the tests describe a
-- schema read without its types: a line per table, then one per foreign key. The views are copied and
-- analysed first: joined as they stand they take many seconds.
CREATE TEMP TABLE columns AS SELECT * FROM information_schema.columns;
CREATE TEMP TABLE tables AS SELECT * FROM information_schema.tables;
CREATE TEMP TABLE table_constraints AS SELECT * FROM information_schema.table_constraints;
CREATE TEMP TABLE key_column_usage AS SELECT * FROM information_schema.key_column_usage;
CREATE TEMP TABLE referential_constraints AS SELECT * FROM information_schema.referential_constraints;
ANALYZE columns, tables, table_constraints, key_column_usage, referential_constraints;
SELECT c.table_schema || '.' || c.table_name || ': ' || string_agg(c.column_name
         || CASE WHEN p.column_name IS NULL THEN '' ELSE ' pk' END
         || CASE c.is_nullable WHEN 'NO' THEN ' nn' ELSE '' END, ', ' ORDER BY c.ordinal_position)
FROM columns c JOIN tables t USING (table_schema, table_name)
LEFT JOIN (table_constraints k
           JOIN key_column_usage p USING (constraint_schema, constraint_name, table_schema, table_name))
  ON k.constraint_type = 'PRIMARY KEY' AND (p.table_schema, p.table_name, p.column_name) = (c.table_schema, c.table_name, c.column_name)
WHERE t.table_type = 'BASE TABLE' AND c.table_schema = 'public'
GROUP BY c.table_schema, c.table_name ORDER BY c.table_schema, c.table_name;
SELECT k.table_schema || '.' || k.table_name || '(' || string_agg(k.column_name, ', ' ORDER BY k.ordinal_position)
         || ') -> ' || u.table_schema || '.' || u.table_name || '('
         || string_agg(u.column_name, ', ' ORDER BY k.ordinal_position) || ') ' || k.constraint_name
FROM referential_constraints r JOIN key_column_usage k USING (constraint_schema, constraint_name)
JOIN key_column_usage u ON (u.constraint_schema, u.constraint_name, u.ordinal_position)
  = (r.unique_constraint_schema, r.unique_constraint_name, k.position_in_unique_constraint)
GROUP BY k.table_schema, k.table_name, k.constraint_name, u.table_schema, u.table_name
ORDER BY k.table_schema, k.table_name, k.constraint_name;
