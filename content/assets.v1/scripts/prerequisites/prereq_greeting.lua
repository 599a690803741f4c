-- One line in the log when the world starts: a prerequisite runs once, before every table.
Script.print("prerequisites: demo data ready")
