EXEC SP_재고계산 @시작일 = '20240101', @구분 = N'전체' -- comment
/* block */