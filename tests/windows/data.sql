-- The data of the Wine tests, after the CRM schema and its sequence rows: the
-- same synchronizer user and appointments as the Linux kick tests (kick date
-- 8 June 2008 = 1212883200), and two associates.
INSERT INTO syncusers (associate_id) VALUES (12);
INSERT INTO associate (associate_id, name) VALUES (12, 'Ada Lovelace');
INSERT INTO associate (associate_id, name) VALUES (13, 'Charles Babbage');
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type) VALUES (101, 12, 12, 1212883210, 1);
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type) VALUES (102, 13, 13, 1212883220, 6);
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type) VALUES (103, 12, 12, 1212883230, 2);
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type) VALUES (104, 12, 12, 1212883240, 7);
INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type) VALUES (105, 12, 12, 1212883160, 1);
INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment;
