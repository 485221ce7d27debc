-- Every line of a save sums its item's quantity on uncosted bills, reading each bill's two
-- flags: beside the bill's key, they are read without visiting the bill's row, wherever in
-- a long history that row lies.
CREATE INDEX ix_lph_bill_flags ON losLocalPurchaseHeader (lphBillID, lphShopID, lphcosted, lphcancelled);
