-- Content of the demo CRM database (SQLite): 40 associates of whom 15 use the
-- synchronizer, 20,000 appointments and tasks due over 2024 to 2026, most of
-- them known to the synchronizer. Values come from fixed arithmetic on the row
-- number, so every demo database holds the same rows.

INSERT INTO associate (associate_id, person_id, name, group_idx, deleted)
SELECT column1, column1, column2, 1 + column1 % 4, 0 FROM (VALUES
  (1,'ANNA'),(2,'BJORN'),(3,'CARLA'),(4,'DIRK'),(5,'EMMA'),(6,'FRANK'),(7,'GRETA'),(8,'HUGO'),
  (9,'INGRID'),(10,'JAN'),(11,'KARIN'),(12,'LARS'),(13,'MARTA'),(14,'NILS'),(15,'OLGA'),
  (16,'PETER'),(17,'QUINN'),(18,'RUTH'),(19,'SVEN'),(20,'TINA'),(21,'UWE'),(22,'VERA'),
  (23,'WILLEM'),(24,'XENIA'),(25,'YUSUF'),(26,'ZOE'),(27,'ARNE'),(28,'BEA'),(29,'CONRAD'),
  (30,'DORA'),(31,'ERIK'),(32,'FENNA'),(33,'GUSTAV'),(34,'HANNA'),(35,'IVO'),(36,'JOKE'),
  (37,'KOEN'),(38,'LIEKE'),(39,'MAARTEN'),(40,'NOOR'));

-- Fifteen synchronizer users, spread over the list.
INSERT INTO syncusers (associate_id)
SELECT associate_id FROM associate WHERE associate_id % 8 IN (1, 3, 6);

-- Types 1 and 6 are appointments (60 %), 2 and 7 tasks (40 %). Due times lie
-- between 08:00 and 17:00 of a day from 1 January 2024 (1704067200) on.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type, text)
SELECT i,
       1 + (i * 7919) % 40,
       CASE WHEN (i * 17) % 5 = 0 THEN 1 + (i * 104729) % 40 ELSE 1 + (i * 7919) % 40 END,
       1704067200 + ((i * 48271) % 1096) * 86400 + (8 + (i * 31) % 10) * 3600,
       CASE WHEN (i * 13) % 100 < 45 THEN 1 WHEN (i * 13) % 100 < 60 THEN 6
            WHEN (i * 13) % 100 < 85 THEN 2 ELSE 7 END,
       CASE (i * 13) % 100 < 60 WHEN 1 THEN 'Visit ' ELSE 'Call back ' END || 'customer ' || (1 + (i * 271) % 900)
FROM n;

-- 85 % of them have been handed to the synchronizer.
INSERT INTO syncsoapp (appointment_id)
SELECT appointment_id FROM appointment WHERE (appointment_id * 37) % 100 < 85;

-- One sequence row per table number T (id T + 10); appointments (T = 9) count
-- on after the rows above, the travel transaction log (T = 29) starts at 1.
WITH RECURSIVE t(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM t WHERE n < 251)
INSERT INTO sequence (id, next_id)
SELECT n + 10, CASE n WHEN 9 THEN 20001 WHEN 29 THEN 1 ELSE 1000 END FROM t;
