-- A cancelled costing keeps why it was cancelled: the audit record of the cancellation
-- carries the reason the user gave.
ALTER TABLE aAuditTrail ADD COLUMN Reason VARCHAR(200) COLLATE TSQL;
